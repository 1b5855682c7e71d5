#include "pages/FormPS2.h"

#include "pages/DeviceMonitor.h"
#include "pages/ShowInfo.h"
#include "skin/BitmapManager.h"
#include "skin/ButtonManager.h"
#include "skin/StandardControls.h"
#include "skin/WinColor.h"

namespace {

constexpr uint32_t kGreen = 0x008000;
constexpr uint32_t kYellow = 0x00F6FF;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kTraceFrame = 0x969696;

const char* const kWaitText = "Wait to start PS/2-Mouse monitor";

// Picture keys 1 to 4: no button, left, right, both; the key is buttons + 1.
const char* const kMousePictures[] = {"PS2_MOUSE", "PS2_MOUSE_L", "PS2_MOUSE_R", "PS2_MOUSE_LR"};

} // namespace

TFormPS2::TFormPS2(QWidget* parent) : TPage(parent, "TAB_DLG_BK", "PS2") {
    MakeLabel(this, {25, 24, 200, 20}, "PS/2 Mouse Trace", {"Arial", 10, 0xFFEA00});
    LabelInfo = MakeLabel(this, {25, 48, 330, 16}, "", {"MS Sans Serif", 8, 0xFFFFFF});

    ButtonStart = {289, 245, 64, 17, "Start", true, [this] { ButtonStartClick(); }};
    buttons = std::make_unique<TButtonManager>(this, &GetCanvas(), bmPush);
    router.AddManager(buttons.get());
    router.Bind(*buttons, 0, ButtonStart, "NORMAL_BTN");
    for (int key = 1; key <= 4; ++key)
        bitmaps->AddBitmap(key, kMousePictures[key - 1], true);

    monitor = new TDeviceMonitor(this, kChannel, kPollMs, [this](const auto& r) {
        // A refused read or a broken reply is skipped; polling goes on.
        if (r.linkOk && r.done && IsWholeReports(r.count))
            TakeReports(r.data.data(), r.count);
    });
    router.SetEnabled(ButtonStart, false);
}

TFormPS2::~TFormPS2() {
    // Closing the panel while the page is attached lets go of the channel too.
    if (board)
        monitor->SetMonitorMode(false);
}

void TFormPS2::AttachBoard(TBoard* session) {
    ShowInfo("", kGreen);
    monitorStarted = tracing = false;
    pointer.buttons = 0;
    board = session;
    SetStartCaption("Start");
    // A trace left when the page was hidden is over: its pointer goes too.
    DrawPointer(true);
    if (BoardConnected()) {
        ShowInfo(kWaitText, kYellow);
        router.SetEnabled(ButtonStart, true);
    } else {
        router.SetEnabled(ButtonStart, false);
        StartPolling(false);
    }
}

void TFormPS2::DetachBoard() {
    ShowInfo("", kYellow);
    router.SetEnabled(ButtonStart, false);
    StartPolling(false);
    SetMonitorMode(false);
    board = nullptr;
    tracing = false;
    SetStartCaption("Start");
}

void TFormPS2::StartPolling(bool on) {
    monitor->StartPolling(on);
}

bool TFormPS2::SetMonitorMode(bool on) {
    const TDeviceMonitor::TModeResult r = monitor->SetMonitorMode(on);
    return r.linkOk && r.done;
}

void TFormPS2::SetStartCaption(const char* caption) {
    ButtonStart.Caption = caption;
    buttons->SetButtonCaption(0, caption);
}

void TFormPS2::ButtonStartClick() {
    monitorStarted = false;
    tracing = !tracing;
    if (tracing) {
        monitorStarted = SetMonitorMode(true);
        if (monitorStarted) {
            pointer = CentredPointer();
            SetStartCaption("Stop");
            router.SetEnabled(ButtonStart, true);
            StartPolling(true);
            ShowInfo("PS/2-Mouse Monitor...", kYellow);
        } else {
            ShowInfo("Cannot find a PS/2 mouse. Please plug one.", kRed);
            tracing = false;
        }
    } else {
        // The board's mode stays on; without monitorStarted the pointer is hidden.
        ShowInfo(kWaitText, kYellow);
        SetStartCaption("Start");
        StartPolling(false);
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
