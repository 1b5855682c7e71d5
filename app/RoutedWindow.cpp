#include "app/RoutedWindow.h"

#include "skin/BitmapManager.h"
#include "skin/ButtonKeys.h"

TRoutedWindow::TRoutedWindow(QWidget* parent, Qt::WindowFlags flags)
    : TSkinWindow(parent, flags) {}

// The keys walk the buttons: they go first.
TRoutedWindow::~TRoutedWindow() {
    keys.reset();
}

void TRoutedWindow::LoadBackground(const char* bitmap) {
    bitmaps = std::make_unique<TBitmapManager>(&GetCanvas());
    bitmaps->AddBitmap(0, bitmap, false);
    const QSize size = bitmaps->GetBitmapSize(0);
    SetClientSize(size.width(), size.height());
    setFixedSize(size);
}

void TRoutedWindow::BuildButtonKeys() {
    keys = std::make_unique<TButtonKeys>(this, router);
}

void TRoutedWindow::FormPaint() {
    bitmaps->DrawBitmap(0, 0, 0);
    router.PaintButtons();
}

bool TRoutedWindow::IsOverSkinButton(int x, int y) const {
    return router.IsOverButton(x, y);
}

void TRoutedWindow::FormMouseDown(int x, int y) {
    router.MouseDown(x, y);
}

void TRoutedWindow::FormMouseMove(int x, int y) {
    router.MouseMove(x, y);
}

void TRoutedWindow::FormMouseUp(int x, int y) {
    ButtonClicked(router.MouseUp(x, y));
}
