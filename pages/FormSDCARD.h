#pragma once
#include "pages/Page.h"
#include "skin/HiddenButton.h"

class QLabel;

// The SD card page: on Read, the card's identification, its specific data and
// its file system, as the board reports and the session decodes them.
class TFormSDCARD : public TPage {
    Q_OBJECT
  public:
    explicit TFormSDCARD(QWidget* parent);

    void ButtonSDCARDClick();

    QLabel* LabelCID;
    QLabel* LabelSDCARD_CID;
    QLabel* LabelCSD;
    QLabel* LabelSDCARD_CSD;
    QLabel* LabelFAT;
    QLabel* LabelSDCARD_FAT;
    THiddenButton ButtonSDCARD;

  protected:
    void EnableControls(bool on) override;

  private:
    void ClearValues();
    void ReadCard(TCommandScope& scope);
};
