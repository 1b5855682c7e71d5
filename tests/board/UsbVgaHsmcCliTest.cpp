// kbr370 usb, vga and hsmc against a real virtual board.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "tests/support/TestVBoard.h"

namespace {

struct CliOutput {
    int code = -1;
    std::string out;
};

// `args` are fixed words of the test; standard error is dropped.
CliOutput Kbr370(const std::string& args) {
    const std::string command = TestVBoard::BinDir() + "/kbr370 " + args + " 2>/dev/null";
    CliOutput r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return r;
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
        r.out.append(buffer, n);
    const int status = pclose(pipe);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(CliPorts, UsbKindVgaPatternAndHsmcVerdict) {
    TestVBoard vb;
    EXPECT_EQ(Kbr370("usb").out, "none\n");
    vb.CtlOk("usb 2");
    EXPECT_EQ(Kbr370("usb").out, "storage\n");
    vb.CtlOk("usb 7");
    const CliOutput unknown = Kbr370("usb");
    EXPECT_EQ(unknown.code, 0);
    EXPECT_EQ(unknown.out, "kind 7\n");

    EXPECT_EQ(Kbr370("vga Green").code, 0);
    EXPECT_EQ(vb.CtlOk("get vga"), "2");
    EXPECT_EQ(Kbr370("vga 5").code, 0);
    EXPECT_EQ(vb.CtlOk("get vga"), "5");

    const CliOutput pass = Kbr370("hsmc");
    EXPECT_EQ(pass.code, 0);
    EXPECT_EQ(pass.out, "PASS\n");
    vb.CtlOk("hsmc fail 0x8000000000 0x01");
    const CliOutput ng = Kbr370("hsmc");
    EXPECT_EQ(ng.code, 3);
    EXPECT_EQ(ng.out, "HSMC Test:NG\n<Transceiver Error:>\nHSMC Pin 31/29-32/30\n"
                      "<Pio Error:>\nHSMC Pin 157-158\n");

    vb.CtlOk("log requests");

    for (const char* bad : {"vga 6", "vga Purple", "vga", "vga -1", "usb 1"})
        EXPECT_EQ(Kbr370(bad).code, 2) << bad;
    EXPECT_EQ(vb.CtlOk("log requests"), "") << "usage errors never reach the board";
}

} // namespace
