#pragma once
#include "pages/PlaceholderPage.h"

// HSMC page; shows its background until its controls are built.
class TFormHSMC : public TPlaceholderPage {
  public:
    explicit TFormHSMC(QWidget* parent) : TPlaceholderPage(parent, "HSMC_DLG_BK", "HSMC") {}
};
