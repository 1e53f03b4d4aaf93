# The share tests use the stand-in MPEG SDK of the file-service tests (files/extra.cmake).
if(TARGET fake_rtdsdk)
  add_dependencies(test_shares fake_rtdsdk fake_rtdutils)
  target_compile_definitions(test_shares PRIVATE FERROLIN_FAKE_MPEG_DIR="${FAKE_MPEG_DIR}")
endif()
