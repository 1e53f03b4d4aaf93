# The command line's own pieces are part of ferrolin-cli, not of the core; their unit
# tests compile them in (all but main.cpp).
if(TARGET test_cli)
  file(GLOB cli_units CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/cli/*.cpp)
  list(FILTER cli_units EXCLUDE REGEX "/main\\.cpp$")
  target_sources(test_cli PRIVATE ${cli_units})
endif()
