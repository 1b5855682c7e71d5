#pragma once
#include "pages/Page.h"
#include "skin/HiddenButton.h"

class QLabel;
class QLineEdit;

// The LCD page: two edited lines of at most 16 characters, sent to the
// board's character LCD in one text on its device channel when Set is pressed.
class TFormLCD : public TPage {
    Q_OBJECT
  public:
    explicit TFormLCD(QWidget* parent);

    void ButtonSetClick();

    QLabel* LabelCaption;
    QLineEdit* EditLine0;
    QLineEdit* EditLine1;
    THiddenButton ButtonSet;

  protected:
    void Detaching() override;
    void EnableControls(bool on) override;
};
