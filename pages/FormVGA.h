#pragma once
#include <QImage>

#include "pages/Page.h"

class QComboBox;
class QLabel;

// The VGA page: the user picks one of six test pictures; the page draws a
// preview of it and, while connected, sends its index to the board (at every
// change and at every attach). It has no buttons.
class TFormVGA : public TPage {
    Q_OBJECT
  public:
    explicit TFormVGA(QWidget* parent);

    QComboBox* ComboBoxVGA = nullptr;
    // Where the preview lies on the page.
    static constexpr QRect kImageVGA{32, 88, 329, 169};

  protected:
    bool Attached() override;
    void FormPaint() override;

  private:
    void ComboBoxVGAChange();
    void DrawPreview(int pattern);
    void ApplyPattern(int pattern);

    QLabel* LabelCaption = nullptr;
    QLabel* LabelPattern = nullptr;
    QImage preview;
};
