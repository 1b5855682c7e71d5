#pragma once
#include "pages/PlaceholderPage.h"

// IR page; shows its background until its controls are built.
class TFormIR : public TPlaceholderPage {
  public:
    explicit TFormIR(QWidget* parent) : TPlaceholderPage(parent, "IR_DLG_BK", "IR") {}
};
