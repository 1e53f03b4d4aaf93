# The command line's own pieces are part of ferrolin-cli, not of the core; their unit
# tests compile them in.
if(TARGET test_cli)
  target_sources(test_cli PRIVATE ${PROJECT_SOURCE_DIR}/src/cli/cli_surfaces.cpp)
endif()
