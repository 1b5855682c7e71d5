#pragma once
#include <memory>

#include "pages/Page.h"

class TBitmapManager;

// A page that shows only its background and keeps the page contract; it issues
// no board commands.
class TPlaceholderPage : public TPage {
    Q_OBJECT
  public:
    TPlaceholderPage(QWidget* parent, const char* background, const char* caption);
    ~TPlaceholderPage() override;

    void AttachBoard(TBoard* session) override { board = session; }
    void DetachBoard() override { board = nullptr; }
    TBoard* Board() const { return board; }

  protected:
    void FormPaint() override;

  private:
    TBoard* board = nullptr;
    std::unique_ptr<TBitmapManager> bitmaps;
};
