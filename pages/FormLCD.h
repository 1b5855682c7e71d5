#pragma once
#include "pages/PlaceholderPage.h"

// LCD page; shows its background until its controls are built.
class TFormLCD : public TPlaceholderPage {
  public:
    explicit TFormLCD(QWidget* parent) : TPlaceholderPage(parent, "TAB_DLG_BK", "LCD") {}
};
