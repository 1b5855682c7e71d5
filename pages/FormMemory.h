#pragma once
#include "pages/PlaceholderPage.h"

// Memory page; shows its background until its controls are built.
class TFormMemory : public TPlaceholderPage {
  public:
    explicit TFormMemory(QWidget* parent) : TPlaceholderPage(parent, "MEMORY_DLG_BK", "Memory") {}
    int SelectedMemory() const override { return 0; }
};
