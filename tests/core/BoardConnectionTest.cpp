// The board connection against a real virtual board: the two connect
// policies on a blank board, the board-name check, a lost link as a host
// event, and the typed device operations with the device table's words.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/BoardConnection.h"
#include "core/DeviceWatch.h"
#include "core/devices/Devices.h"
#include "core/devices/HsmcReport.h"
#include "core/devices/Inputs.h"
#include "core/devices/IrCodes.h"
#include "core/devices/Leds.h"
#include "core/devices/Memories.h"
#include "core/devices/SdCard.h"
#include "core/devices/UsbDevice.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TestVBoard.h"

namespace {

using Kind = TRecordingHost::Kind;
using TPolicy = TBoardConnection::TPolicy;
namespace devices = kbr::devices;

// Also keeps what the host hears of the link.
class TLinkRecorder : public TRecordingHost {
  public:
    void LinkLost(const std::string& reason) override { lost.push_back(reason); }
    void Connected(const std::string& link) override { connected.push_back(link); }
    std::vector<std::string> lost, connected;
};

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(BoardConnection, PoliciesNameCheckLinkLossAndTypedOperations) {
    TestVBoard vb(false);
    TLinkRecorder host;
    TBoardConnection connection(host);

    // Advise: a blank board is left blank, and the user is told what to run;
    // nothing goes to the host but the advice the caller ends with.
    ASSERT_FALSE(connection.Connect(TPolicy::Advise));
    EXPECT_TRUE(Has(connection.FailureText(), "The board does not answer;"))
        << connection.FailureText();
    EXPECT_TRUE(Has(connection.FailureText(), "run `kbr370 configure`"));
    EXPECT_TRUE(host.Of(Kind::Box).empty());
    EXPECT_TRUE(host.connected.empty());
    EXPECT_EQ(vb.CtlOk("status").substr(0, 12), "configured=0");

    // Configure: the same board is configured, and the host hears the link.
    ASSERT_TRUE(connection.Connect(TPolicy::Configure));
    EXPECT_EQ(vb.CtlOk("status").substr(0, 12), "configured=1");
    EXPECT_EQ(connection.FpgaTypeText(), "EP3C120/EP4CE115");
    EXPECT_TRUE(connection.FailureText().empty());
    ASSERT_EQ(host.connected.size(), 1u);
    EXPECT_EQ(host.connected[0], connection.LinkInfo());
    EXPECT_FALSE(connection.LinkInfo().empty());
    EXPECT_EQ(host.Of(Kind::Status).back().text, "Connected");

    // The board-name check: a board that will not tell its name is refused,
    // and the link dropped.
    connection.Disconnect();
    vb.CtlOk("fault status:1");
    EXPECT_FALSE(connection.Connect(TPolicy::Advise));
    EXPECT_TRUE(Has(connection.FailureText(), "the board does not tell its name; "))
        << connection.FailureText();
    EXPECT_FALSE(connection.IsConnected());
    ASSERT_TRUE(connection.Connect(TPolicy::Advise));

    // Typed operations, their values and the table's words.
    vb.CtlOk("set inputs 00000022");
    const auto inputs = devices::ReadInputs(connection);
    ASSERT_TRUE(inputs.Ok()) << inputs.reason;
    EXPECT_EQ(inputs.value.value, 0x22u);
    EXPECT_TRUE(inputs.value.Key(1));
    EXPECT_TRUE(inputs.value.Switch(1));
    EXPECT_FALSE(inputs.value.Switch(0));

    vb.CtlOk("usb mouse");
    const auto usb = devices::ReadUsbDevice(connection);
    ASSERT_TRUE(usb.Ok()) << usb.reason;
    EXPECT_EQ(usb.value, kUsbMouse);

    vb.CtlOk("hsmc fail 0000000001 01");
    const auto hsmc = devices::RunHsmcTest(connection);
    ASSERT_TRUE(hsmc.Ok()) << hsmc.reason;
    EXPECT_FALSE(hsmc.value.Passed());
    EXPECT_EQ(hsmc.value.transceiverErrors, std::vector<std::string>{"HSMC Pin 31/29-32/30"});
    EXPECT_EQ(hsmc.value.pioErrors, std::vector<std::string>{"HSMC Pin 41-42"});

    vb.CtlOk("sd remove");
    const auto sd = devices::ReadSdCard(connection);
    EXPECT_EQ(sd.outcome, devices::TOutcome::Refused);
    EXPECT_EQ(sd.reason, "Failed to access the SDCARD. Please make sure a SDCARD is pluged into "
                         "the KBR-370.");
    EXPECT_TRUE(connection.IsConnected()) << "a refusal keeps the link";

    const devices::TMemory& sram = *devices::FindMemory("SRAM");
    ASSERT_TRUE(devices::WriteMemory(connection, sram, 0x100, {1, 2, 3}).Ok());
    std::vector<uint8_t> back;
    ASSERT_TRUE(devices::ReadMemory(connection, sram, 0x100, 3, back).Ok());
    EXPECT_EQ(back, (std::vector<uint8_t>{1, 2, 3}));

    {
        kbr::TDeviceWatch watch(connection, devices::kIr.channel);
        ASSERT_EQ(watch.Start(), kbr::TDeviceWatch::TOutcome::Ok);
        vb.CtlOk("ir push 45");
        const auto codes = devices::ReadIrCodes(connection, watch);
        ASSERT_TRUE(codes.Ok()) << codes.reason;
        ASSERT_EQ(codes.value.size(), 1u);
        EXPECT_EQ(codes.value[0].code, 0x45);
        EXPECT_EQ(codes.value[0].key, IrKeyOfCode(0x45));
    }
    EXPECT_TRUE(host.lost.empty());

    // A spoilt reply beeps through the host; a reply that never comes loses
    // the link, which the host hears with the operation's words.
    connection.SetReplyLimit(300);
    vb.CtlOk("fault bad-checksum");
    devices::SetLeds(connection, 1);
    EXPECT_FALSE(host.Of(Kind::Beep).empty());
    if (!connection.IsConnected()) {
        ASSERT_TRUE(connection.Connect(TPolicy::Advise));
    }
    connection.SetReplyLimit(300);
    host.lost.clear();
    vb.CtlOk("fault drop");
    const auto leds = devices::SetLeds(connection, 0x7);
    EXPECT_EQ(leds.outcome, devices::TOutcome::LinkFailed);
    EXPECT_EQ(leds.reason, "setting the LEDs failed");
    EXPECT_EQ(host.lost, std::vector<std::string>{"setting the LEDs failed"});
    EXPECT_FALSE(connection.IsConnected());

    // Back again, and the held link is refused for configuring by another
    // connection, in the words kbr370 prints.
    ASSERT_TRUE(connection.Connect(TPolicy::Advise));
    TLinkRecorder other;
    TBoardConnection second(other);
    EXPECT_TRUE(Has(second.HeldLinkRefusal(), "`kbr370-vboard list` names it."))
        << second.HeldLinkRefusal();
    connection.Disconnect();
    EXPECT_EQ(second.HeldLinkRefusal(), "");
}

} // namespace
