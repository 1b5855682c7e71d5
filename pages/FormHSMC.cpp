#include "pages/FormHSMC.h"

#include <QLabel>

#include "board/Board.h"
#include "core/devices/Devices.h"
#include "core/devices/HsmcReport.h"
#include "core/Host.h"
#include "skin/Colours.h"
#include "skin/StandardControls.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGrey = 0x808080;
constexpr uint32_t kLightBlue = 0xFFEA00;
constexpr int kFontPixels = 13;

TFontSpec Arial(uint32_t colour, bool bold = false) {
    return {"Arial", 0, colour, bold, kFontPixels};
}

} // namespace

TFormHSMC::TFormHSMC(QWidget* parent) : TPage(parent, "HSMC_DLG_BK", "HSMC") {
    ButtonVerify = {292, 234, 64, 17, "Verify", true, [this] { ButtonVerifyClick(); }};
    BindButton(0, ButtonVerify);

    LabelCaption = MakeLabel(this, {24, 24, 250, 16}, "HSMC Loopback Verify", Arial(kLightBlue));
    LabelInstallHint =
        MakeLabel(this, {24, 56, 250, 16}, "Loopback Installation", Arial(kLightBlue));
    LabelInstall = MakeLabel(this, {24, 80, 249, 73},
                             "Please make sure the HSMC loopback adapter has connected to the "
                             "HSMC connector of KBR-370.\n"
                             "Otherwise please follow the steps below.\n",
                             Arial(kWhite), Qt::AlignLeft | Qt::AlignTop, true);
    LabelReinstall = MakeLabel(this, {24, 152, 249, 81},
                               "1. Turn off the KBR-370 board\n"
                               "2. Plug the HSMC loopback adapter into\n"
                               "    the HSMC connector of KBR-370\n"
                               "3. Turn on the the KBR-370 board\n"
                               "4. Re-launch the KBR-370 control panel\n",
                               Arial(kGrey), Qt::AlignLeft | Qt::AlignTop, true);
    LabelResult = MakeLabel(this, {304, 256, 45, 16}, "", Arial(kWhite, true), Qt::AlignCenter);

    EnableControls(false);
}

void TFormHSMC::EnableControls(bool on) {
    router.SetEnabled(ButtonVerify, on);
}

void TFormHSMC::ShowResult(const char* text, uint32_t colour) {
    SetLabelColour(LabelResult, colour);
    LabelResult->setText(text);
    LabelResult->repaint();
}

void TFormHSMC::ButtonVerifyClick() {
    using Tone = THost::Tone;
    TCommandScope scope(*this);
    EnableControls(false);
    ShowResult("", kWhite);
    Host().Info("HSMC Loopback Testing...", Tone::Progress);

    bool done = false;
    uint32_t mask8 = 0;
    uint64_t mask40 = 0;
    const bool ok = scope.Run([&](TBoard& b) { return b.RunLoopbackTest(done, 0, mask8, mask40); },
                              ClosedLink::Failure);

    bool passed = false;
    if (!ok) {
        Host().Info(kbr::devices::kHsmc.failed, Tone::Failure);
        Host().Box(platform::MessageKind::Error, kbr::devices::kHsmc.failed);
    } else if (!done) {
        Host().Info(kbr::devices::kHsmc.failed, Tone::Failure);
    } else if (HsmcPassed(mask8, mask40)) {
        Host().Info("HSMC Loopback Test: PASS", Tone::Success);
        passed = true;
    } else {
        Host().Info(kbr::devices::kHsmc.ng, Tone::Failure);
        Host().Box(platform::MessageKind::Information, HsmcReportText(mask8, mask40));
    }

    EnableControls(true);
    if (ok)
        ShowResult(passed ? "PASS" : "NG", passed ? colours::Green : colours::Red);
}
