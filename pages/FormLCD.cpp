#include "pages/FormLCD.h"

#include <QLabel>
#include <QLineEdit>

#include "board/Board.h"
#include "core/devices/Devices.h"
#include "core/devices/LcdText.h"
#include "core/Host.h"
#include "skin/ScreenCursor.h"
#include "skin/StandardControls.h"

namespace {

constexpr TFontSpec kCaptionFont{"Arial", 10, 0xFFEA00};
constexpr TFontSpec kLineFont{"Arial", 14, 0x000000};
constexpr TEditSpec kLineEdit{static_cast<int>(kLcdLineLength)};

void ShowFailure(THost& host, const std::string& text) {
    host.Info(text, THost::Tone::Failure);
    host.Box(platform::MessageKind::Error, text);
}

} // namespace

TFormLCD::TFormLCD(QWidget* parent) : TPage(parent, "TAB_DLG_BK", "LCD") {
    LabelCaption = MakeLabel(this, QRect(104, 88, 0, 0), "Character LCD", kCaptionFont);
    LabelCaption->adjustSize();
    EditLine0 = MakeEdit(this, QRect(101, 112, 186, 32), "KBR-370", kLineFont, kLineEdit);
    EditLine1 = MakeEdit(this, QRect(101, 142, 186, 32), "Control Panel", kLineFont, kLineEdit);
    ButtonSet = {161, 197, 64, 17, "Set", true, [this] { ButtonSetClick(); }};

    BindButton(0, ButtonSet);
    EnableControls(false);
}

void TFormLCD::Detaching() {
    Host().Info("", THost::Tone::Success);
}

void TFormLCD::EnableControls(bool on) {
    router.SetEnabled(ButtonSet, on);
}

void TFormLCD::ButtonSetClick() {
    TCommandScope scope(*this);
    SetScreenCursor(ScreenCursor::HourGlass);
    EnableControls(false);
    Host().Info("LCD Setting...", THost::Tone::Progress);

    // One byte per character, as the display has one cell per character.
    const std::vector<uint8_t> text = LcdText(EditLine0->text().toLatin1().toStdString(),
                                              EditLine1->text().toLatin1().toStdString());
    bool done = false;
    const bool carried = scope.Run(
        [&](TBoard& b) {
            return b.SendDeviceData(done, kbr::devices::kLcd.channel,
                                    static_cast<uint32_t>(text.size()), text.data());
        },
        ClosedLink::Failure);

    // A refusal leaves the link fine, but the text is not shown.
    if (!carried)
        ShowFailure(Host(), kbr::devices::kLcd.failed);
    else if (!done)
        ShowFailure(Host(), kbr::devices::kLcd.refused);
    else
        Host().Info("Set LCD Success", THost::Tone::Success);

    EnableControls(true);
    SetScreenCursor(ScreenCursor::Default);
}
