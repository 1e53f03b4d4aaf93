// ferrolin-cli: the headless face of Ferrolin.
#include "cli/commands.h"

int main(int argc, char** argv) { return ferrolin::cli::Dispatch(argc, argv); }
