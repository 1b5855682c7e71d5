#pragma once
#include "pages/PlaceholderPage.h"

// USB page; shows its background until its controls are built.
class TFormUSB : public TPlaceholderPage {
  public:
    explicit TFormUSB(QWidget* parent) : TPlaceholderPage(parent, "USB_DLG_BK", "USB") {}
};
