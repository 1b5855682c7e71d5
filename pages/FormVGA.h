#pragma once
#include "pages/PlaceholderPage.h"

// VGA page; shows its background until its controls are built.
class TFormVGA : public TPlaceholderPage {
  public:
    explicit TFormVGA(QWidget* parent) : TPlaceholderPage(parent, "TAB_DLG_BK", "VGA") {}
};
