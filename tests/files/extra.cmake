# Extra build steps of the file-service tests.

# The fault-injecting FUSE file system (needs libfuse3; its tests skip without it).
find_package(PkgConfig)
if(PkgConfig_FOUND)
  pkg_check_modules(FUSE3 IMPORTED_TARGET fuse3)
endif()
if(FUSE3_FOUND)
  add_executable(ferrolin_fault_fs ${CMAKE_CURRENT_SOURCE_DIR}/files/fault_fs/fault_fs.cpp)
  target_compile_options(ferrolin_fault_fs PRIVATE ${FERROLIN_WARNINGS})
  target_link_libraries(ferrolin_fault_fs PRIVATE PkgConfig::FUSE3)
  add_dependencies(test_files ferrolin_fault_fs)
endif()

# A stand-in for the video board vendor's MPEG SDK, built under the Linux library names
# into a folder of its own that the tests use as the program folder.
set(FAKE_MPEG_DIR ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/fake-mpeg-sdk)
add_library(fake_rtdsdk SHARED ${CMAKE_CURRENT_SOURCE_DIR}/files/fake_mpeg_sdk/rtdsdk.cpp)
add_library(fake_rtdutils SHARED ${CMAKE_CURRENT_SOURCE_DIR}/files/fake_mpeg_sdk/rtdutils.cpp)
foreach(lib fake_rtdsdk fake_rtdutils)
  target_compile_options(${lib} PRIVATE ${FERROLIN_WARNINGS})
  string(REPLACE "fake_" "" output ${lib})
  set_target_properties(${lib} PROPERTIES OUTPUT_NAME ${output} PREFIX "lib"
                        LIBRARY_OUTPUT_DIRECTORY ${FAKE_MPEG_DIR} NO_SONAME ON)
  add_dependencies(test_files ${lib})
endforeach()
target_compile_definitions(test_files PRIVATE FERROLIN_FAKE_MPEG_DIR="${FAKE_MPEG_DIR}")
