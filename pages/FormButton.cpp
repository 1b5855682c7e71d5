#include "pages/FormButton.h"

#include "board/Board.h"
#include "core/devices/Devices.h"
#include "core/Host.h"
#include "pages/PollTimer.h"
#include "skin/BitmapManager.h"
#include "skin/SkinFont.h"
#include "skin/WinColor.h"

namespace {

enum Key { SwUp = 1, SwDown = 2, ButtonUp = 3, ButtonDown = 4 };

constexpr int kKeyCount = 4;
constexpr int kSwitchCount = 18;
constexpr int kSwitchesPerRow = 9;
constexpr uint32_t kLabelColour = 0xFFFFFF;
constexpr uint32_t kHeadingColour = 0xFFEA00;

} // namespace

TFormButton::TFormButton(QWidget* parent) : TPage(parent, "BT_DLG_BK", "Button") {
    bitmaps->AddBitmap(SwUp, "SW_UP", true);
    bitmaps->AddBitmap(SwDown, "SW_DOWN", true);
    bitmaps->AddBitmap(ButtonUp, "BUTTON_UP", true);
    bitmaps->AddBitmap(ButtonDown, "BUTTON_DOWN", true);
    timerPolling =
        new TPollTimer(this, kbr::devices::kSwitchesPollMs, [this] { return PollInputs(); });
}

QPoint TFormButton::KeyPos(int i) {
    return {223 - 48 * i, 18}; // KEY0 is the rightmost
}

QPoint TFormButton::SwitchPos(int n) {
    return {332 - 32 * (n % kSwitchesPerRow), n < kSwitchesPerRow ? 98 : 183};
}

bool TFormButton::Attached() {
    const bool ready = TPage::Attached();
    if (ready) {
        timerPolling->StartPolling(true);
        Host().Info("Monitor Switches and Pushbuttons...", THost::Tone::Progress);
    }
    return ready;
}

void TFormButton::Detaching() {
    Host().Info("", THost::Tone::Progress);
    timerPolling->StartPolling(false);
}

bool TFormButton::PollInputs() {
    // A failed read ends polling until the page is attached again.
    return RunCommand(
        [this](TBoard& b) {
            uint32_t value = 0;
            if (!b.ReadSwitchesAndKeys(value))
                return false;
            inputState = value;
            if (inputState != shownState) {
                shownState = inputState;
                DrawInputs();
            }
            return true;
        },
        ClosedLink::Failure);
}

void TFormButton::DrawInputs() {
    Canvas& canvas = GetCanvas();
    const QImage background = bitmaps->GetBitmap(0)->At(canvas.DevicePixelRatio());
    const QFont font = SkinFontPoints("Arial", 8);
    // Labels are written again at every change: start each from the clean
    // background so their smoothed edges do not thicken.
    auto label = [&](const QString& text, int centreX, int top) {
        const QSize size = canvas.TextExtent(text, font);
        const int left = centreX - size.width() / 2;
        const QRect r(left - 2, top, size.width() + 4, size.height());
        canvas.CopyRect(r, background, r);
        canvas.TextOut(left, top, text, font, WinColor(kLabelColour));
    };

    uint32_t mask = 1;
    for (int i = 0; i < kKeyCount; ++i, mask <<= 1) {
        const QPoint p = KeyPos(i);
        bitmaps->DrawBitmap(inputState & mask ? ButtonDown : ButtonUp, p.x(), p.y());
        label(QString("KEY%1").arg(i), p.x() + 22, p.y() + 48);
    }
    for (int n = 0; n < kSwitchCount; ++n, mask <<= 1) {
        const QPoint p = SwitchPos(n);
        bitmaps->DrawBitmap(inputState & mask ? SwDown : SwUp, p.x(), p.y());
        label(QString("SW%1").arg(n), p.x() + 10, p.y() + 64);
    }

    const QFont heading = SkinFontPoints("Arial", 10);
    for (const auto& [text, y] : {std::pair{"Keys", 18}, std::pair{"Switches", 98}}) {
        const QRect r(QPoint(18, y), canvas.TextExtent(text, heading) + QSize(4, 0));
        canvas.CopyRect(r, background, r);
        canvas.TextOut(20, y, text, heading, WinColor(kHeadingColour));
    }
}

void TFormButton::FormPaint() {
    TPage::FormPaint();
    DrawInputs();
}
