#pragma once
#include "pages/PlaceholderPage.h"

// 7-Segment page; shows its background until its controls are built.
class TFormSeg7 : public TPlaceholderPage {
  public:
    explicit TFormSeg7(QWidget* parent) : TPlaceholderPage(parent, "TAB_DLG_BK", "7-Segment") {}
};
