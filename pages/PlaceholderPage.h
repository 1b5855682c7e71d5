#pragma once
#include "pages/Page.h"

// A page that shows only its background and keeps the page contract; it issues
// no board commands.
class TPlaceholderPage : public TPage {
    Q_OBJECT
  public:
    using TPage::TPage;

    void AttachBoard(TBoard* session) override { board = session; }
    void DetachBoard() override { board = nullptr; }
};
