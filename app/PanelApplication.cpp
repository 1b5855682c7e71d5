#include "app/PanelApplication.h"

#include <QIcon>
#include <exception>

#include "pages/Dialogs.h"

TPanelApplication::TPanelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setWindowIcon(Icon());
    setDesktopFileName(QStringLiteral("kbr370-panel"));
}

QIcon TPanelApplication::Icon() {
    return QIcon(QStringLiteral(":/icons/kbr370-panel.svg"));
}

bool TPanelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        Dialogs().MessageBox(platform::MessageKind::Error, e.what(), "");
    }
    return false;
}
