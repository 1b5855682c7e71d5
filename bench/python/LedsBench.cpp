// The C++ side of the Python module's per-call figure: 10,000 SetLeds
// through TBoard on the virtual board in the folder given (or one of its
// own), as microseconds per call, for kbr370_bench.py to compare with
// board.set_leds.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "board/Board.h"
#include "tests/support/TestVBoard.h"

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::atoi(argv[1]) : 10000;
    std::unique_ptr<TestVBoard> own;
    if (argc <= 2)
        own = std::make_unique<TestVBoard>();
    else
        setenv("KBR370_VBOARD_DIR", argv[2], 1);
    TBoard board;
    std::string error;
    if (!board.Connect(error, 0)) {
        std::fprintf(stderr, "connect failed: %s\n", error.c_str());
        return 1;
    }
    int failed = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        failed += board.SetLeds(static_cast<uint32_t>(i) & 0x7FFFFFF) ? 0 : 1;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    board.Disconnect();
    std::printf("%.3f us per SetLeds (%d calls, %d failed)\n", seconds * 1e6 / calls, calls, failed);
    return failed == 0 ? 0 : 1;
}
