#include "pages/FormUSB.h"

#include <QLabel>

#include "core/devices/UsbDevice.h"
#include "pages/DeviceMonitor.h"
#include "core/Host.h"
#include "skin/BitmapManager.h"
#include "skin/StandardControls.h"

namespace {

using kbr::devices::kUsb;

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
    monitor = new TDeviceMonitor(this, kUsb, [this](const auto& r) {
        // A port that stays as it was is looked at less often, which leaves
        // the link to the other pages' work.
        const bool changed = r.linkOk && r.done && r.count != 0 && TakeKind(r.data[0]);
        monitor->SetInterval(changed ? kUsb.pollMs : kbr::devices::kUsbSteadyPollMs);
    });
    ShowUsbDevice();
}

bool TFormUSB::Attached() {
    if (!BoardConnected())
        return false;
    Host().Info(WaitingText(), THost::Tone::Progress);
    monitor->SetInterval(kUsb.pollMs);
    monitor->StartPolling(true);
    return true;
}

void TFormUSB::Detaching() {
    Host().Info("", THost::Tone::Progress);
    monitor->StartPolling(false);
}

bool TFormUSB::TakeKind(int kind) {
    const int previous = usbDeviceKind;
    usbDeviceKind = kind;
    Host().Info(usbDeviceKind != kUsbNone ? "A device is found in the USB Port." : WaitingText(),
                  THost::Tone::Progress);
    ShowUsbDevice();
    return usbDeviceKind != previous;
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
