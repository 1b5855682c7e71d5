#pragma once
#include "pages/PlaceholderPage.h"

// PS/2 page; shows its background until its controls are built.
class TFormPS2 : public TPlaceholderPage {
  public:
    explicit TFormPS2(QWidget* parent) : TPlaceholderPage(parent, "TAB_DLG_BK", "PS/2") {}
};
