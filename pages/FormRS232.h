#pragma once
#include "pages/PlaceholderPage.h"

// RS232 page; shows its background until its controls are built.
class TFormRS232 : public TPlaceholderPage {
  public:
    explicit TFormRS232(QWidget* parent) : TPlaceholderPage(parent, "TAB_DLG_BK", "RS232") {}
};
