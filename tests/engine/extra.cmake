# The engine's tests run jobs over the stand-in MPEG SDK that the file-service tests build.
add_dependencies(test_engine fake_rtdsdk fake_rtdutils)
target_compile_definitions(test_engine PRIVATE
  FERROLIN_FAKE_MPEG_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/fake-mpeg-sdk")
