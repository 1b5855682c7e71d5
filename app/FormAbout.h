#pragma once
#include <memory>

#include "app/RoutedWindow.h"
#include "skin/HiddenButton.h"

class QEventLoop;
class TButtonManager;

// The About dialog: name and version over a picture, and one skinned "Close".
class TFormAbout : public TRoutedWindow {
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
    void closeEvent(QCloseEvent* event) override;

  private:
    std::unique_ptr<TButtonManager> buttons;
    QEventLoop* modalLoop = nullptr;
};
