#pragma once
#include <memory>

#include "pages/Page.h"
#include "skin/HiddenButton.h"

class QLabel;
class TButtonManager;

// The SD card page: on Read, the card's identification, its specific data and
// its file system, as the board reports and the session decodes them.
class TFormSDCARD : public TPage {
    Q_OBJECT
  public:
    explicit TFormSDCARD(QWidget* parent);
    ~TFormSDCARD() override;

    void AttachBoard(TBoard* session) override;
    void DetachBoard() override;

    void ButtonSDCARDClick();

    TButtonManager& Buttons() { return *buttons; }

    QLabel* LabelCID;
    QLabel* LabelSDCARD_CID;
    QLabel* LabelCSD;
    QLabel* LabelSDCARD_CSD;
    QLabel* LabelFAT;
    QLabel* LabelSDCARD_FAT;
    THiddenButton ButtonSDCARD;

  private:
    void SetReadEnabled(bool on);
    void ClearValues();
    // False only when the request was not carried (a link failure).
    bool ReadCard();

    std::unique_ptr<TButtonManager> buttons;
};
