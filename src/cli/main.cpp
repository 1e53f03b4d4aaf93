// ferrolin-cli: the headless face of Ferrolin.
#include <cstdio>
#include <cstring>

#include "version.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("ferrolin-cli %s\n", FERROLIN_VERSION);
        return 0;
    }
    std::fprintf(stderr, "ferrolin-cli: unknown command\n");
    return 2;
}
