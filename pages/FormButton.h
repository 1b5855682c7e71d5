#pragma once
#include "pages/PlaceholderPage.h"

// Switches page; shows its background until its controls are built.
class TFormButton : public TPlaceholderPage {
  public:
    explicit TFormButton(QWidget* parent) : TPlaceholderPage(parent, "BT_DLG_BK", "Switches") {}
};
