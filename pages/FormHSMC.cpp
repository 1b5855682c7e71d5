#include "pages/FormHSMC.h"

#include <QLabel>

#include "board/Board.h"
#include "pages/Dialogs.h"
#include "pages/ShowInfo.h"
#include "logic/HsmcReport.h"
#include "skin/ButtonManager.h"
#include "skin/Colours.h"
#include "skin/StandardControls.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGrey = 0x808080;
constexpr uint32_t kLightBlue = 0xFFEA00;
constexpr int kFontPixels = 13;

constexpr const char* kFailed = "Failed to perform HSMC test";

TFontSpec Arial(uint32_t colour, bool bold = false) {
    return {"Arial", 0, colour, bold, kFontPixels};
}

} // namespace

TFormHSMC::TFormHSMC(QWidget* parent) : TPage(parent, "HSMC_DLG_BK", "HSMC") {
    ButtonVerify = {292, 234, 64, 17, "Verify", true, [this] { ButtonVerifyClick(); }};
    buttons = std::make_unique<TButtonManager>(this, &GetCanvas(), bmPush);
    router.AddManager(buttons.get());
    router.Bind(*buttons, 0, ButtonVerify, "NORMAL_BTN");

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

    SetVerifyEnabled(false);
}

TFormHSMC::~TFormHSMC() = default;

void TFormHSMC::AttachBoard(TBoard* session) {
    ShowInfo("", colours::Green);
    board = session;
    SetVerifyEnabled(BoardConnected());
}

void TFormHSMC::DetachBoard() {
    board = nullptr;
    SetVerifyEnabled(false);
}

void TFormHSMC::SetVerifyEnabled(bool on) {
    router.SetEnabled(ButtonVerify, on);
}

void TFormHSMC::ShowResult(const char* text, uint32_t colour) {
    SetLabelColour(LabelResult, colour);
    LabelResult->setText(text);
    LabelResult->repaint();
}

void TFormHSMC::ButtonVerifyClick() {
    SetVerifyEnabled(false);
    ShowResult("", kWhite);
    ShowInfo("HSMC Loopback Testing...", colours::Yellow);

    bool done = false;
    uint32_t mask8 = 0;
    uint64_t mask40 = 0;
    const bool ok = RunLocked([&](TBoard& b) { return b.RunLoopbackTest(done, 0, mask8, mask40); },
                              ClosedLink::Failure);

    bool passed = false;
    if (!ok) {
        ShowInfo(kFailed, colours::Red);
        Dialogs().MessageBox(platform::MessageKind::Error, kFailed, "");
    } else if (!done) {
        ShowInfo(kFailed, colours::Red);
    } else if (HsmcPassed(mask8, mask40)) {
        ShowInfo("HSMC Loopback Test: PASS", colours::Green);
        passed = true;
    } else {
        ShowInfo("HSMC Loopback Test: NG", colours::Red);
        Dialogs().MessageBox(platform::MessageKind::Information, HsmcReportText(mask8, mask40), "");
    }

    SetVerifyEnabled(true);
    if (ok)
        ShowResult(passed ? "PASS" : "NG", passed ? colours::Green : colours::Red);
    else
        RaiseLinkLost();
}
