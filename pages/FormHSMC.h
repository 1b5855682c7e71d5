#pragma once
#include "pages/Page.h"
#include "skin/HiddenButton.h"

class QLabel;

// The HSMC page: Verify runs the board's loopback test of the HSMC connector
// (a loopback adapter must be plugged in) and shows PASS or NG; for NG an
// information box lists the failing pins. It only reports and never retries.
class TFormHSMC : public TPage {
    Q_OBJECT
  public:
    explicit TFormHSMC(QWidget* parent);

    void ButtonVerifyClick();

    THiddenButton ButtonVerify;
    QLabel* LabelResult = nullptr;
    QLabel* LabelInstall = nullptr;
    QLabel* LabelReinstall = nullptr;

  protected:
    void EnableControls(bool on) override;

  private:
    void ShowResult(const char* text, uint32_t colour);

    QLabel* LabelCaption = nullptr;
    QLabel* LabelInstallHint = nullptr;
};
