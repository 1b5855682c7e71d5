#include "pages/FormIR.h"

#include <QLabel>
#include <QPainter>

#include "core/Host.h"
#include "skin/BitmapManager.h"
#include "skin/ButtonManager.h"
#include "skin/StandardControls.h"
#include "skin/WinColor.h"

namespace {

constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint8_t kJustPressed = 255;

// The remote control's part of the background, wiped before the lights are drawn.
const QRect kRemoteArea{QPoint(225, 57), QPoint(354, 286)};

} // namespace

TFormIR::TFormIR(QWidget* parent)
    : TMonitorPage(parent, "IR_DLG_BK", "IR", kbr::devices::kIr, [this](const auto& r) {
          TakeReading(r.linkOk, r.done, r.data.data(), r.count);
      }) {
    keyLights.fill(1);
    MakeLabel(this, {32, 32, 170, 20}, "IR Receiver", {"Arial", 10, 0xFFEA00});
    MakeLabel(this, {32, 56, 170, 20}, "Scan Code (Heximal)", {"Arial", 10, kWhite});
    // Wider than the 20 pixels of the two-digit codes, so "IR not found" is readable.
    LabelInfo = MakeLabel(this, {97, 96, 100, 129}, "", {"Arial", 10, kWhite});

    ButtonClear = {73, 232, 64, 17, "Clear", true, [this] { ButtonClearClick(); }};
    // Not bound: the hidden button's enabled flag follows the session, but the
    // skinned Clear works at any time.
    Buttons().AddButton(0, ButtonClear.Caption, "NORMAL_BTN", ButtonClear.Left, ButtonClear.Top);

    monitor->BeforePoll = [this] { FadeKeyLights(); };
}

void TFormIR::EnableControls(bool on) {
    ButtonClear.Enabled = on;
}

bool TFormIR::Attached() {
    const bool connected = TMonitorPage::Attached();
    SetAllLights(0);
    DrawKeyLights();
    if (!connected)
        return false;
    Host().Info("IR Starting...", THost::Tone::Progress);
    // Only the exchange counts here, not the board's answer.
    if (!monitor->SetMonitorMode(true).linkOk)
        return false;
    monitor->StartPolling(true);
    Host().Info("IR Monitor...", THost::Tone::Progress);
    return true;
}

void TFormIR::TakeReading(bool linkOk, bool done, const uint8_t* codes, uint32_t count) {
    if (!linkOk) {
        LabelInfo->setText(""); // the history itself stays
        SetAllLights(0);
    } else if (!done) {
        SetLabelColour(LabelInfo, kRed);
        LabelInfo->setText(kbr::devices::kIr.refused);
        SetAllLights(0);
    } else if (count != 0) {
        AddIrCodes(history, codes, count);
        // Every code lights its key, also those that no longer fit the history.
        for (uint32_t i = 0; i < count; ++i)
            if (const int key = IrKeyOfCode(codes[i]); key >= 0)
                keyLights[key] = kJustPressed;
        ShowCodes();
    }
    if (keyLights != drawnLights)
        DrawKeyLights();
}

void TFormIR::ShowCodes() {
    SetLabelColour(LabelInfo, kWhite);
    LabelInfo->setText(QString::fromLatin1(IrHistoryText(history)));
}

void TFormIR::ButtonClearClick() {
    history.count = 0;
    ShowCodes();
}

void TFormIR::SetAllLights(uint8_t level) {
    keyLights.fill(level);
}

void TFormIR::FadeKeyLights() {
    for (uint8_t& level : keyLights)
        level = FadeIrLight(level);
}

void TFormIR::DrawKeyLights() {
    Canvas& canvas = GetCanvas();
    canvas.CopyRect(kRemoteArea, bitmaps->GetBitmap(0)->At(canvas.DevicePixelRatio()), kRemoteArea);
    QPainter p(&canvas.Image());
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    for (int key = 0; key < kIrKeyCount; ++key) {
        const unsigned v = keyLights[key];
        if (v == 0)
            continue;
        // A yellow of brightness v, the pen the wider the brighter.
        p.setPen(QPen(WinColor(v * 257), static_cast<int>(v / 50), Qt::SolidLine));
        const TKeyRect r = IrKeyRect(key);
        p.drawEllipse(QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)));
    }
    p.end();
    drawnLights = keyLights;
    update(kRemoteArea);
}

void TFormIR::FormPaint() {
    TPage::FormPaint();
    DrawKeyLights();
}

void TFormIR::FormMouseUp(int x, int y) {
    const TButtonRouter::Hit hit = router.MouseUp(x, y);
    if (hit.manager == &Buttons() && hit.id == 0)
        ButtonClearClick();
}
