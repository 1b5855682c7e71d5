#pragma once
#include "pages/PlaceholderPage.h"

// SD Card page; shows its background until its controls are built.
class TFormSDCARD : public TPlaceholderPage {
  public:
    explicit TFormSDCARD(QWidget* parent) : TPlaceholderPage(parent, "SDCARD_DLG_BK", "SD Card") {}
};
