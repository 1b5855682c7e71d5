#include "pages/FormPS2.h"

#include "core/Host.h"
#include "skin/BitmapManager.h"
#include "skin/ButtonManager.h"
#include "skin/StandardControls.h"
#include "skin/WinColor.h"

namespace {

using Tone = THost::Tone;

constexpr uint32_t kTraceFrame = 0x969696;

const char* const kWaitText = "Wait to start PS/2-Mouse monitor";

// Picture keys 1 to 4: no button, left, right, both; the key is buttons + 1.
const char* const kMousePictures[] = {"PS2_MOUSE", "PS2_MOUSE_L", "PS2_MOUSE_R", "PS2_MOUSE_LR"};

} // namespace

TFormPS2::TFormPS2(QWidget* parent)
    : TMonitorPage(parent, "TAB_DLG_BK", "PS2", kbr::devices::kPs2, [this](const auto& r) {
          // A refused read or a broken reply is skipped; polling goes on.
          if (r.linkOk && r.done && IsWholeReports(r.count))
              TakeReports(r.data.data(), r.count);
      }) {
    MakeLabel(this, {25, 24, 200, 20}, "PS/2 Mouse Trace", {"Arial", 10, 0xFFEA00});
    LabelInfo = MakeLabel(this, {25, 48, 330, 16}, "", {"MS Sans Serif", 8, 0xFFFFFF});

    ButtonStart = {289, 245, 64, 17, "Start", true, [this] { ButtonStartClick(); }};
    BindButton(0, ButtonStart);
    for (int key = 1; key <= 4; ++key)
        bitmaps->AddBitmap(key, kMousePictures[key - 1], true);

    EnableControls(false);
}

void TFormPS2::EnableControls(bool on) {
    router.SetEnabled(ButtonStart, on);
}

bool TFormPS2::Attached() {
    const bool ready = TMonitorPage::Attached();
    monitorStarted = tracing = false;
    pointer.buttons = 0;
    SetStartCaption("Start");
    // A trace left when the page was hidden is over: its pointer goes too.
    DrawPointer(true);
    if (ready)
        Host().Info(kWaitText, Tone::Progress);
    return ready;
}

void TFormPS2::Detaching() {
    Host().Info("", Tone::Progress);
    TMonitorPage::Detaching();
    tracing = false;
    SetStartCaption("Start");
}

void TFormPS2::SetStartCaption(const char* caption) {
    ButtonStart.Caption = caption;
    Buttons().SetButtonCaption(0, caption);
}

void TFormPS2::ButtonStartClick() {
    monitorStarted = false;
    tracing = !tracing;
    if (tracing) {
        const TDeviceMonitor::TModeResult mode = monitor->SetMonitorMode(true);
        monitorStarted = mode.linkOk && mode.done;
        if (monitorStarted) {
            pointer = CentredPointer();
            SetStartCaption("Stop");
            router.SetEnabled(ButtonStart, true);
            monitor->StartPolling(true);
            Host().Info("PS/2-Mouse Monitor...", Tone::Progress);
        } else {
            Host().Info(kbr::devices::kPs2.refused, Tone::Failure);
            tracing = false;
        }
    } else {
        // The board's mode stays on; without monitorStarted the pointer is hidden.
        Host().Info(kWaitText, Tone::Progress);
        SetStartCaption("Start");
        monitor->StartPolling(false);
    }
    DrawPointer(true);
}

void TFormPS2::TakeReports(const uint8_t* data, uint32_t count) {
    // Every valid report is drawn, so the box ends on the latest one.
    for (uint32_t at = 0; at < count; at += kMouseReportSize)
        if (ApplyMouseReport(pointer, data + at))
            DrawPointer(true);
}

void TFormPS2::DrawPointer(bool erase) {
    if (erase)
        GetCanvas().CopyRect(kPaintBox, bitmaps->GetBitmap(0)->At(GetCanvas().DevicePixelRatio()),
                             kPaintBox);
    if (!monitorStarted)
        return;
    const TPicturePosition at =
        PointerPicturePosition(pointer, kPaintBox.width(), kPaintBox.height());
    bitmaps->DrawBitmap(pointer.buttons + 1, kPaintBox.left() + at.left, kPaintBox.top() + at.top);
}

void TFormPS2::FormPaint() {
    TPage::FormPaint();
    GetCanvas().Frame(kPaintBox.adjusted(-1, -1, 1, 1), WinColor(kTraceFrame), 1);
    DrawPointer(true);
}
