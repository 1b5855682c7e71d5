#include "pages/FormUSB.h"

#include <QLabel>

#include "board/Board.h"
#include "pages/PollTimer.h"
#include "pages/ShowInfo.h"
#include "logic/UsbDevice.h"
#include "skin/BitmapManager.h"
#include "skin/Colours.h"
#include "skin/StandardControls.h"

namespace {

constexpr uint8_t kUsbChannel = 5;

// A freshly plugged device may still be enumerating and change its kind, so
// the next look follows quickly after a change; a port that stays as it was
// is looked at less often, which leaves the link to the other pages' work.
constexpr int kAfterChangeMs = 100;
constexpr int kSteadyMs = 300;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kLightBlue = 0xFFEA00;

enum Icon { DiskOff = 1, DiskOn, MouseOff, MouseOn, OtherOff, OtherOn };

const char* WaitingText() {
    return "Monitor USB Port. Please Plug an USB-Device...";
}

} // namespace

TFormUSB::TFormUSB(QWidget* parent) : TPage(parent, "USB_DLG_BK", "USB") {
    bitmaps->AddBitmap(MouseOn, "USB_MOUSE_ON", true);
    bitmaps->AddBitmap(MouseOff, "USB_MOUSE_OFF", true);
    bitmaps->AddBitmap(DiskOn, "USB_DISK_ON", true);
    bitmaps->AddBitmap(DiskOff, "USB_DISK_OFF", true);
    bitmaps->AddBitmap(OtherOn, "USB_OTHER_ON", true);
    bitmaps->AddBitmap(OtherOff, "USB_OTHER_OFF", true);

    LabelPort = MakeLabel(this, {56, 106, 150, 25}, "Host Port:", {"Arial", 10, kLightBlue},
                          Qt::AlignLeft | Qt::AlignTop, true);
    LabelUsbPort = MakeLabel(this, {80, 129, 145, 50}, "Port 1 Status", {"Arial", 10, kWhite},
                             Qt::AlignLeft | Qt::AlignTop, true);
    TimerPolling = new TPollTimer(this, kAfterChangeMs, [this] { return TimerPollingTimer(); });
    ShowUsbDevice();
}

TFormUSB::~TFormUSB() = default;

void TFormUSB::AttachBoard(TBoard* session) {
    board = session;
    if (BoardConnected()) {
        ShowInfo(WaitingText(), colours::Yellow);
        StartPolling(true);
    }
}

void TFormUSB::DetachBoard() {
    ShowInfo("", colours::Yellow);
    StartPolling(false);
    board = nullptr;
}

void TFormUSB::StartPolling(bool on) {
    TimerPolling->SetInterval(kAfterChangeMs);
    TimerPolling->StartPolling(on);
}

bool TFormUSB::TimerPollingTimer() {
    bool changed = false;
    if (!PollUsb(changed)) {
        RaiseLinkLost();
        return false;
    }
    TimerPolling->SetInterval(changed ? kAfterChangeMs : kSteadyMs);
    return board != nullptr;
}

bool TFormUSB::PollUsb(bool& changed) {
    bool done = false;
    uint32_t count = 0;
    uint8_t data[TBoard::kDeviceChunk];
    const bool ok =
        RunLocked([&](TBoard& b) { return b.ReadDeviceData(done, kUsbChannel, count, data); },
                  ClosedLink::Failure);
    if (!ok || !done || count == 0)
        return ok;
    const int previous = usbDeviceKind;
    usbDeviceKind = data[0];
    changed = usbDeviceKind != previous;
    ShowInfo(usbDeviceKind != kUsbNone ? "A device is found in the USB Port." : WaitingText(),
             colours::Yellow);
    ShowUsbDevice();
    return true;
}

void TFormUSB::ShowUsbDevice() {
    LabelUsbPort->setText(QString::fromStdString(UsbPortText(usbDeviceKind)));
    DrawUsbIcons();
}

void TFormUSB::DrawUsbIcons() {
    // The icons are sprites: put the background back under them first, so a
    // lit icon never shows through an unlit one.
    const QImage background = bitmaps->GetBitmap(0)->At(GetCanvas().DevicePixelRatio());
    const QSize icon = bitmaps->GetBitmapSize(DiskOff);
    const QRect under(kIconsX, kIconsY, 2 * kIconStep + icon.width(), icon.height());
    GetCanvas().CopyRect(under, background, under);
    bitmaps->DrawBitmap(usbDeviceKind == kUsbStorage ? DiskOn : DiskOff, kIconsX, kIconsY);
    bitmaps->DrawBitmap(usbDeviceKind == kUsbMouse ? MouseOn : MouseOff, kIconsX + kIconStep,
                        kIconsY);
    bitmaps->DrawBitmap(usbDeviceKind == kUsbOther ? OtherOn : OtherOff, kIconsX + 2 * kIconStep,
                        kIconsY);
}

void TFormUSB::FormPaint() {
    TPage::FormPaint();
    DrawUsbIcons();
}
