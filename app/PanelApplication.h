#pragma once
#include <QApplication>

// The application object: an exception that escapes an event handler is shown
// in an error box and the program goes on, as the toolkit's own handler does.
// Its windows carry the menu entry's icon and name it, so window switchers and
// docks show the panel as the menu does.
class TPanelApplication : public QApplication {
  public:
    TPanelApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The menu entry's icon.
    static QIcon Icon();
};
