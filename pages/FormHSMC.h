#pragma once
#include <memory>

#include "pages/Page.h"
#include "skin/HiddenButton.h"

class QLabel;
class TButtonManager;

// The HSMC page: Verify runs the board's loopback test of the HSMC connector
// (a loopback adapter must be plugged in) and shows PASS or NG; for NG an
// information box lists the failing pins. It only reports and never retries.
class TFormHSMC : public TPage {
    Q_OBJECT
  public:
    explicit TFormHSMC(QWidget* parent);
    ~TFormHSMC() override;

    void AttachBoard(TBoard* session) override;
    void DetachBoard() override;

    void ButtonVerifyClick();

    THiddenButton ButtonVerify;
    QLabel* LabelResult = nullptr;
    QLabel* LabelInstall = nullptr;
    QLabel* LabelReinstall = nullptr;

  private:
    void SetVerifyEnabled(bool on);
    void ShowResult(const char* text, uint32_t colour);

    std::unique_ptr<TButtonManager> buttons;
    QLabel* LabelCaption = nullptr;
    QLabel* LabelInstallHint = nullptr;
};
