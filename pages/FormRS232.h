#pragma once
#include <string>

#include "pages/MonitorPage.h"
#include "skin/HiddenButton.h"

class QLineEdit;
class TTextLog;

// The RS232 page, a small terminal for the board's serial port: monitoring mode
// goes on at attach, what the port receives is appended to the receive box
// every 100 ms, and Send transmits the send box's text with its zero byte.
// Both boxes hold Latin-1 text: one character per byte, either way.
class TFormRS232 : public TMonitorPage {
    Q_OBJECT
  public:
    explicit TFormRS232(QWidget* parent);

    void ButtonSendClick();
    void ButtonClearClick();

    TTextLog* EditRx = nullptr;
    QLineEdit* EditSend = nullptr;
    THiddenButton ButtonSend;
    THiddenButton ButtonClear;

  protected:
    bool Attached() override;
    void EnableControls(bool on) override;

  private:
    void Transmit(TCommandScope& scope, const std::string& text);
};
