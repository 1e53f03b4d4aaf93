# The window tests: QtTest on the offscreen platform, only when the window is built.
if(TARGET ferrolin_gui)
  find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
  file(GLOB gui_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp ${CMAKE_CURRENT_LIST_DIR}/*.h)
  add_executable(test_gui ${gui_test_sources})
  set_target_properties(test_gui PROPERTIES AUTOMOC ON)
  target_compile_options(test_gui PRIVATE ${FERROLIN_WARNINGS})
  target_link_libraries(test_gui PRIVATE ferrolin_gui ferrolin_test_support Qt6::Test)
  target_compile_definitions(test_gui PRIVATE
    FERROLIN_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
    FERROLIN_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # Qt wants a private runtime folder (mode 0700) and no display.
  set(gui_runtime_dir ${CMAKE_BINARY_DIR}/gui-test-runtime)
  file(MAKE_DIRECTORY ${gui_runtime_dir})
  file(CHMOD ${gui_runtime_dir} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  # One ctest entry per group of window tests (gui.<Group>), so that a failure names it.
  foreach(group JobEditorFlow WindowLayout SendTimeFlow RunFlow TimeSyncFlow FtpWindowFlow
                FtpWindowJob RasWindowFlow)
    add_test(NAME gui.${group} COMMAND test_gui --group ${group})
    set_tests_properties(gui.${group} PROPERTIES TIMEOUT 300 LABELS gui
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${gui_runtime_dir}")
  endforeach()
endif()

# The stand-in MPEG SDK of the file tests, for the "shown only with the MPEG check" rule.
if(TARGET test_gui AND TARGET fake_rtdsdk)
  add_dependencies(test_gui fake_rtdsdk fake_rtdutils)
  target_compile_definitions(test_gui PRIVATE FERROLIN_FAKE_MPEG_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/fake-mpeg-sdk")
endif()
