#pragma once
#include <memory>
#include <string>

#include "pages/Page.h"
#include "skin/HiddenButton.h"

class QLineEdit;
class TButtonManager;
class TDeviceMonitor;
class TTextLog;

// The RS232 page, a small terminal for the board's serial port: monitoring mode
// goes on at attach, what the port receives is appended to the receive box
// every 100 ms, and Send transmits the send box's text with its zero byte.
// Both boxes hold Latin-1 text: one character per byte, either way.
class TFormRS232 : public TPage {
    Q_OBJECT
  public:
    static constexpr uint8_t kChannel = 3;
    static constexpr int kPollMs = 100;

    explicit TFormRS232(QWidget* parent);
    ~TFormRS232() override;

    void AttachBoard(TBoard* session) override;
    void DetachBoard() override;

    void ButtonSendClick();
    void ButtonClearClick();

    TDeviceMonitor& Monitor() { return *monitor; }
    TButtonManager& Buttons() { return *buttons; }

    TTextLog* EditRx = nullptr;
    QLineEdit* EditSend = nullptr;
    THiddenButton ButtonSend;
    THiddenButton ButtonClear;

  private:
    void SetPageEnabled(bool on);
    void StartPolling(bool on);
    bool SetMonitorMode(bool on);
    bool Transmit(const std::string& bytes);

    std::unique_ptr<TButtonManager> buttons;
    TDeviceMonitor* monitor;
};
