// Build-time tool: writes the companion design file that configures the virtual board.
#include <cstdio>
#include <string>

#include "vboard/DesignFile.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.sof\n", argv[0]);
        return 2;
    }
    std::string error;
    if (!vboard::TDesignFile::Write(argv[1], error)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 1;
    }
    return 0;
}
