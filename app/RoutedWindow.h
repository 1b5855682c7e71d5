#pragma once
#include <memory>

#include "skin/ButtonRouter.h"
#include "skin/SkinWindow.h"

class TBitmapManager;
class TButtonKeys;

// A top-level skinned window of the application: one background bitmap, and
// skinned buttons that the mouse and the keys reach through one router.
class TRoutedWindow : public TSkinWindow {
  public:
    TRoutedWindow(QWidget* parent, Qt::WindowFlags flags);
    ~TRoutedWindow() override;

  protected:
    // Draws `bitmap` as the background and sizes the window to it.
    void LoadBackground(const char* bitmap);
    // Call once the buttons are in the router.
    void BuildButtonKeys();
    // A button was released over; the base ignores it (bound buttons click themselves).
    virtual void ButtonClicked(const TButtonRouter::Hit&) {}

    void FormPaint() override;
    void FormMouseDown(int x, int y) override;
    void FormMouseMove(int x, int y) override;
    void FormMouseUp(int x, int y) override;
    bool IsOverSkinButton(int x, int y) const override;

    std::unique_ptr<TBitmapManager> bitmaps;
    TButtonRouter router;
    std::unique_ptr<TButtonKeys> keys;
};
