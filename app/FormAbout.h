#pragma once
#include <memory>

#include "skin/ButtonRouter.h"
#include "skin/HiddenButton.h"
#include "skin/SkinWindow.h"

class QEventLoop;
class QLabel;
class TBitmapManager;
class TButtonKeys;
class TButtonManager;

// The About dialog: name and version over a picture, and one skinned "Close".
class TFormAbout : public TSkinWindow {
    Q_OBJECT
  public:
    explicit TFormAbout(QWidget* parent = nullptr);
    ~TFormAbout() override;

    // Shows the dialog and returns once it is closed.
    void ShowModal();
    void ButtonExitClick();

    TButtonManager& Buttons() { return *buttons; }
    THiddenButton ButtonExit;

  protected:
    void FormPaint() override;
    void FormMouseDown(int x, int y) override;
    void FormMouseMove(int x, int y) override;
    void FormMouseUp(int x, int y) override;
    bool IsOverSkinButton(int x, int y) const override;
    void closeEvent(QCloseEvent* event) override;

  private:
    std::unique_ptr<TBitmapManager> bitmaps;
    std::unique_ptr<TButtonManager> buttons;
    TButtonRouter router;
    std::unique_ptr<TButtonKeys> keys;
    QEventLoop* modalLoop = nullptr;
};
