#pragma once
#include "pages/Page.h"

class QLabel;
class TPollTimer;

// The USB page: while connected it polls the board for the kind of device in
// the USB host port and shows it as a name and as one of three lit icons.
// It has no buttons and sends no mode command.
class TFormUSB : public TPage {
    Q_OBJECT
  public:
    explicit TFormUSB(QWidget* parent);
    ~TFormUSB() override;

    void AttachBoard(TBoard* session) override;
    void DetachBoard() override;

    int UsbDeviceKind() const { return usbDeviceKind; }
    QLabel* LabelUsbPort = nullptr;
    TPollTimer* TimerPolling = nullptr;

    // Where the three icons are drawn side by side (ShapeUsb's top-left).
    static constexpr int kIconsX = 232;
    static constexpr int kIconsY = 128;
    static constexpr int kIconStep = 40;

  protected:
    void FormPaint() override;

  private:
    void StartPolling(bool on);
    bool TimerPollingTimer();
    // One read of the port; false when the exchange failed on the link.
    bool PollUsb(bool& changed);
    void ShowUsbDevice();
    void DrawUsbIcons();

    int usbDeviceKind = 0;
    QLabel* LabelPort = nullptr;
};
