#include "pages/FormRS232.h"

#include <QLineEdit>
#include <QValidator>

#include "board/Board.h"
#include "board/VisibleText.h"
#include "core/devices/Rs232Text.h"
#include "core/Host.h"
#include "skin/SkinFont.h"
#include "skin/StandardControls.h"
#include "skin/TextLog.h"
#include "skin/WinColor.h"

namespace {

using Tone = THost::Tone;
namespace devices = kbr::devices;

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

TFormRS232::TFormRS232(QWidget* parent)
    : TMonitorPage(parent, "TAB_DLG_BK", "RS232", devices::kRs232, [this](const auto& r) {
          if (!r.linkOk || !r.done)
              Host().Info(devices::kRs232.failed, Tone::Failure);
          else if (r.count != 0)
              EditRx->Append(QString::fromLatin1(Rs232StreamText(r.data.data(), r.count)));
      }) {
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
    BindButton(0, ButtonSend);
    BindButton(1, ButtonClear);

    EnableControls(false);
}

void TFormRS232::EnableControls(bool on) {
    // Clear is never disabled.
    router.SetEnabled(ButtonSend, on);
}

bool TFormRS232::Attached() {
    if (!TMonitorPage::Attached())
        return false;
    const TDeviceMonitor::TModeResult mode = monitor->SetMonitorMode(true);
    if (!mode.linkOk || !mode.done) {
        Host().Info(devices::kRs232.refused, Tone::Failure);
        return false;
    }
    monitor->StartPolling(true);
    Host().Info("RS232 Monitor...", Tone::Progress);
    return true;
}

void TFormRS232::ButtonSendClick() {
    if (!board)
        return;
    TCommandScope scope(*this);
    EnableControls(false);
    Transmit(scope, EditSend->text().toLatin1().toStdString());
    EnableControls(true);
}

void TFormRS232::Transmit(TCommandScope& scope, const std::string& text) {
    Host().Info("RS232 transmitting...", Tone::Progress);
    bool done = false;
    const std::vector<uint8_t> bytes = Rs232TransmitBytes(text);
    const bool ok = scope.Run(
        [&](TBoard& b) {
            return b.SendDeviceData(done, devices::kRs232.channel,
                                    static_cast<uint32_t>(bytes.size()), bytes.data());
        },
        ClosedLink::Failure);
    if (ok && done)
        Host().Info("RS232 transmit successfully.", Tone::Success);
    else
        Host().Info(devices::kRs232TransmitFailed, Tone::Failure);
}

void TFormRS232::ButtonClearClick() {
    EditRx->Clear();
}
