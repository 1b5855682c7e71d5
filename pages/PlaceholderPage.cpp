#include "pages/PlaceholderPage.h"

#include "skin/BitmapManager.h"

TPlaceholderPage::TPlaceholderPage(QWidget* parent, const char* background, const char* caption)
    : TPage(parent) {
    setWindowTitle(caption);
    bitmaps = std::make_unique<TBitmapManager>(&GetCanvas());
    bitmaps->AddBitmap(0, background, false);
    QSize size = bitmaps->GetBitmapSize(0);
    SetClientSize(size.width(), size.height() - 20);
}

TPlaceholderPage::~TPlaceholderPage() = default;

void TPlaceholderPage::FormPaint() {
    bitmaps->DrawBitmap(0, 0, 0);
}
