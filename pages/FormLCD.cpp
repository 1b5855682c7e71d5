#include "pages/FormLCD.h"

#include <QLabel>
#include <QLineEdit>

#include "board/Board.h"
#include "pages/Dialogs.h"
#include "pages/ShowInfo.h"
#include "logic/LcdText.h"
#include "skin/ButtonManager.h"
#include "skin/Colours.h"
#include "skin/ScreenCursor.h"
#include "skin/StandardControls.h"

namespace {

constexpr TFontSpec kCaptionFont{"Arial", 10, 0xFFEA00};
constexpr TFontSpec kLineFont{"Arial", 14, 0x000000};
constexpr TEditSpec kLineEdit{static_cast<int>(kLcdLineLength)};

void ShowError(const std::string& text) {
    Dialogs().MessageBox(platform::MessageKind::Error, text, "");
}

} // namespace

TFormLCD::TFormLCD(QWidget* parent) : TPage(parent, "TAB_DLG_BK", "LCD") {
    LabelCaption = MakeLabel(this, QRect(104, 88, 0, 0), "Character LCD", kCaptionFont);
    LabelCaption->adjustSize();
    EditLine0 = MakeEdit(this, QRect(101, 112, 186, 32), "KBR-370", kLineFont, kLineEdit);
    EditLine1 = MakeEdit(this, QRect(101, 142, 186, 32), "Control Panel", kLineFont, kLineEdit);
    ButtonSet = {161, 197, 64, 17, "Set", true, [this] { ButtonSetClick(); }};

    buttons = std::make_unique<TButtonManager>(this, &GetCanvas(), bmPush);
    router.AddManager(buttons.get());
    router.Bind(*buttons, 0, ButtonSet, "NORMAL_BTN");
    router.SetEnabled(ButtonSet, false);
}

TFormLCD::~TFormLCD() = default;

void TFormLCD::AttachBoard(TBoard* session) {
    board = session;
    ShowInfo("", colours::Green);
    if (!BoardConnected())
        return;
    router.SetEnabled(ButtonSet, true);
    ShowInfo("", colours::Green);
}

void TFormLCD::DetachBoard() {
    ShowInfo("", colours::Green);
    board = nullptr;
    router.SetEnabled(ButtonSet, false);
}

void TFormLCD::ButtonSetClick() {
    SetScreenCursor(ScreenCursor::HourGlass);
    router.SetEnabled(ButtonSet, false);
    ShowInfo("LCD Setting...", colours::Yellow);

    // One byte per character, as the display has one cell per character.
    const std::vector<uint8_t> text = LcdText(EditLine0->text().toLatin1().toStdString(),
                                              EditLine1->text().toLatin1().toStdString());
    bool done = false;
    const bool carried = RunLocked(
        [&](TBoard& b) {
            return b.SendDeviceData(done, kLcdChannel, static_cast<uint32_t>(text.size()),
                                    text.data());
        },
        ClosedLink::Failure);

    if (carried && !done) {
        // The refusal stays the last word: the link itself is fine, the text is not shown.
        ShowInfo("Failed to set lcd.", colours::Red);
        ShowError("Failed to set lcd.");
    } else {
        const std::string result = std::string("Set LCD ") + (carried ? "Success" : "Fail");
        ShowInfo(result, carried ? colours::Green : colours::Red);
        if (!carried)
            ShowError(result);
    }

    router.SetEnabled(ButtonSet, true);
    SetScreenCursor(ScreenCursor::Default);
    if (!carried)
        RaiseLinkLost();
}
