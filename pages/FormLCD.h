#pragma once
#include <memory>

#include "pages/Page.h"
#include "skin/HiddenButton.h"

class QLabel;
class QLineEdit;
class TButtonManager;

// The LCD page: two edited lines of at most 16 characters, sent to the
// board's character LCD in one text on its device channel when Set is pressed.
class TFormLCD : public TPage {
    Q_OBJECT
  public:
    explicit TFormLCD(QWidget* parent);
    ~TFormLCD() override;

    void AttachBoard(TBoard* session) override;
    void DetachBoard() override;

    void ButtonSetClick();

    TButtonManager& Buttons() { return *buttons; }

    QLabel* LabelCaption;
    QLineEdit* EditLine0;
    QLineEdit* EditLine1;
    THiddenButton ButtonSet;

  private:
    std::unique_ptr<TButtonManager> buttons;
};
