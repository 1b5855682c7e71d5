#pragma once
#include "pages/Page.h"

class QLabel;
class TDeviceMonitor;

// The USB page: while connected it polls the board for the kind of device in
// the USB host port and shows it as a name and as one of three lit icons.
// It has no buttons and sends no mode command.
class TFormUSB : public TPage {
    Q_OBJECT
  public:
    // Where the three icons are drawn side by side (ShapeUsb's top-left).
    static constexpr int kIconsX = 232;
    static constexpr int kIconsY = 128;
    static constexpr int kIconStep = 40;

    explicit TFormUSB(QWidget* parent);

    int UsbDeviceKind() const { return usbDeviceKind; }
    TDeviceMonitor& Monitor() { return *monitor; }
    QLabel* LabelUsbPort = nullptr;

  protected:
    bool Attached() override;
    void Detaching() override;
    void FormPaint() override;

  private:
    // Takes the port's kind; true when it changed.
    bool TakeKind(int kind);
    void ShowUsbDevice();
    void DrawUsbIcons();

    int usbDeviceKind = 0;
    QLabel* LabelPort = nullptr;
    TDeviceMonitor* monitor;
};
