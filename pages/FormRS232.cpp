#include "pages/FormRS232.h"

#include <QLineEdit>
#include <QValidator>

#include "board/Board.h"
#include "board/VisibleText.h"
#include "pages/DeviceMonitor.h"
#include "pages/ShowInfo.h"
#include "logic/Rs232Text.h"
#include "skin/ButtonManager.h"
#include "skin/SkinFont.h"
#include "skin/StandardControls.h"
#include "skin/TextLog.h"
#include "skin/WinColor.h"

namespace {

constexpr uint32_t kGreen = 0x008000;
constexpr uint32_t kYellow = 0x00F6FF;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;
// White text needs a dark box to be read on.
constexpr uint32_t kRxBackground = 0x000000;
constexpr uint32_t kCaptionColour = 0xFFEA00;
constexpr int kFormFontPixels = 16;

// The send box takes only characters that are one byte each, and no zero
// byte (which would end the text early): what it shows is what is sent.
class TLatin1Validator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (const QChar c : input)
            if (c.unicode() == 0 || c.unicode() > 0xFF)
                return Invalid;
        return Acceptable;
    }
};

} // namespace

TFormRS232::TFormRS232(QWidget* parent) : TPage(parent, "TAB_DLG_BK", "RS232") {
    const TFontSpec formFont{"MS Sans Serif", 0, kWhite, false, kFormFontPixels};
    MakeLabel(this, {32, 24, 200, 20}, "RS232 TX/RX", {"Arial", 10, kCaptionColour});
    MakeLabel(this, {32, 48, 200, 20}, "Receive:", formFont);
    MakeLabel(this, {32, 152, 200, 20}, "Send:", formFont);

    EditRx = new TTextLog(this);
    EditRx->setGeometry(34, 72, 320, 60);
    EditRx->setFont(SkinFontPixels("MS Sans Serif", kFormFontPixels));
    QPalette palette = EditRx->palette();
    palette.setColor(QPalette::Text, WinColor(kWhite));
    palette.setColor(QPalette::Base, WinColor(kRxBackground));
    EditRx->setPalette(palette);
    // Control bytes have no glyph in any font here: they are written out, in
    // the caption's colour so they never pass for received text.
    EditRx->SetNotation([](uint8_t byte) { return QString::fromStdString(ControlNotation(byte)); },
                        WinColor(kCaptionColour));

    EditSend = MakeEdit(this, {34, 176, 320, 60}, "",
                        {"MS Sans Serif", 0, 0x000000, false, kFormFontPixels});
    EditSend->setValidator(new TLatin1Validator(EditSend));

    ButtonSend = {289, 242, 64, 17, "Send", true, [this] { ButtonSendClick(); }};
    ButtonClear = {289, 138, 64, 17, "Clear", true, [this] { ButtonClearClick(); }};
    buttons = std::make_unique<TButtonManager>(this, &GetCanvas(), bmPush);
    router.AddManager(buttons.get());
    router.Bind(*buttons, 0, ButtonSend, "NORMAL_BTN");
    router.Bind(*buttons, 1, ButtonClear, "NORMAL_BTN");

    monitor = new TDeviceMonitor(this, kChannel, kPollMs, [this](const auto& r) {
        if (!r.linkOk || !r.done)
            ShowInfo("RS232 receive fail.", kRed);
        else if (r.count != 0)
            EditRx->Append(QString::fromLatin1(Rs232StreamText(r.data.data(), r.count)));
    });
    SetPageEnabled(false);
}

TFormRS232::~TFormRS232() {
    // Closing the panel while the page is attached lets go of the channel too.
    if (board)
        monitor->SetMonitorMode(false);
}

void TFormRS232::SetPageEnabled(bool on) {
    // Clear is never disabled.
    router.SetEnabled(ButtonSend, on);
}

void TFormRS232::StartPolling(bool on) {
    monitor->StartPolling(on);
}

bool TFormRS232::SetMonitorMode(bool on) {
    const TDeviceMonitor::TModeResult r = monitor->SetMonitorMode(on);
    return r.linkOk && r.done;
}

void TFormRS232::AttachBoard(TBoard* session) {
    ShowInfo("", kGreen);
    board = session;
    if (BoardConnected()) {
        if (SetMonitorMode(true)) {
            SetPageEnabled(true);
            StartPolling(true);
            ShowInfo("RS232 Monitor...", kYellow);
        } else {
            ShowInfo("Failed to start RS232", kRed);
        }
    } else {
        SetPageEnabled(false);
        StartPolling(false);
    }
}

void TFormRS232::DetachBoard() {
    StartPolling(false);
    SetMonitorMode(false);
    SetPageEnabled(false);
    board = nullptr;
}

void TFormRS232::ButtonSendClick() {
    if (!board)
        return;
    SetPageEnabled(false);
    const bool ok = Transmit(EditSend->text().toLatin1().toStdString());
    SetPageEnabled(true);
    if (!ok)
        RaiseLinkLost();
}

bool TFormRS232::Transmit(const std::string& text) {
    ShowInfo("RS232 transmitting...", kYellow);
    bool done = false;
    const std::vector<uint8_t> bytes = Rs232TransmitBytes(text);
    const bool ok = RunLocked(
        [&](TBoard& b) {
            return b.SendDeviceData(done, kChannel, static_cast<uint32_t>(bytes.size()),
                                    bytes.data());
        },
        ClosedLink::Failure);
    if (ok && done)
        ShowInfo("RS232 transmit successfully.", kGreen);
    else
        ShowInfo("RS232 transmit fail.", kRed);
    return ok;
}

void TFormRS232::ButtonClearClick() {
    EditRx->Clear();
}
