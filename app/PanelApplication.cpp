#include "app/PanelApplication.h"

#include <exception>

#include "pages/Dialogs.h"

bool TPanelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        Dialogs().MessageBox(platform::MessageKind::Error, e.what(), "");
    }
    return false;
}
