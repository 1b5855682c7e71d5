#pragma once
#include <QApplication>

// The application object: an exception that escapes an event handler is shown
// in an error box and the program goes on, as the toolkit's own handler does.
class TPanelApplication : public QApplication {
  public:
    TPanelApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};
