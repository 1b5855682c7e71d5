#pragma once
#include <QObject>

class QKeyEvent;
class TButtonRouter;
class TSkinWindow;

// The keyboard over a skinned window's buttons. The window joins the Tab
// chain of its top-level window (a click does not take the focus, so a click
// on a skinned button leaves the caret in an edit); Tab and Shift+Tab move the
// focus through its enabled buttons and on to the next control past the last
// one, and Space or Return presses the focused button where a click would. The
// focused button shows a frame, so none is seen until the keyboard is used.
class TButtonKeys : public QObject {
    Q_OBJECT
  public:
    // The window owns it and ends it before the router and its managers:
    // focus events still come while the window's QWidget part is destroyed.
    TButtonKeys(TSkinWindow* window, TButtonRouter& router);
    ~TButtonKeys() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FocusIn(Qt::FocusReason reason);
    bool KeyPress(const QKeyEvent& key);
    void PassFocusOn(bool forward);

    TSkinWindow* window;
    TButtonRouter& router;
};
