// kbr370 usb, vga and hsmc against a real virtual board.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/CliRun.h"

namespace {

TEST(CliPorts, UsbKindVgaPatternAndHsmcVerdict) {
    TestVBoard vb;
    EXPECT_EQ(Cli({"usb"}).out, "none\n");
    vb.CtlOk("usb 2");
    EXPECT_EQ(Cli({"usb"}).out, "storage\n");
    vb.CtlOk("usb 7");
    const CliResult unknown = Cli({"usb"});
    EXPECT_EQ(unknown.code, 0) << unknown.err;
    EXPECT_EQ(unknown.out, "kind 7\n");

    EXPECT_EQ(Cli({"vga", "Green"}).code, 0);
    EXPECT_EQ(vb.CtlOk("get vga"), "2");
    EXPECT_EQ(Cli({"vga", "5"}).code, 0);
    EXPECT_EQ(vb.CtlOk("get vga"), "5");

    const CliResult pass = Cli({"hsmc"});
    EXPECT_EQ(pass.code, 0) << pass.err;
    EXPECT_EQ(pass.out, "PASS\n");
    vb.CtlOk("hsmc fail 0x8000000000 0x01");
    const CliResult ng = Cli({"hsmc"});
    EXPECT_EQ(ng.code, 3);
    EXPECT_EQ(ng.out, "HSMC Test:NG\n<Transceiver Error:>\nHSMC Pin 31/29-32/30\n"
                      "<Pio Error:>\nHSMC Pin 157-158\n");

    vb.CtlOk("log requests");
    const std::vector<std::vector<std::string>> bad = {
        {"vga", "6"}, {"vga", "Purple"}, {"vga"}, {"vga", "-1"}, {"usb", "1"}};
    for (const auto& args : bad)
        EXPECT_EQ(Cli(args).code, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    EXPECT_EQ(vb.CtlOk("log requests"), "") << "usage errors never reach the board";
}

} // namespace
