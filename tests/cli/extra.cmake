# The command line's own pieces are a library of their own; its unit tests drive it.
if(TARGET test_cli)
  target_link_libraries(test_cli PRIVATE ferrolin_cli)
endif()
