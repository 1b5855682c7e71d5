#include "skin/ScreenCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

ScreenCursor current = ScreenCursor::Default;

Qt::CursorShape ShapeOf(ScreenCursor cursor) {
    switch (cursor) {
    case ScreenCursor::HandPoint:
        return Qt::PointingHandCursor;
    case ScreenCursor::HourGlass:
        return Qt::WaitCursor;
    case ScreenCursor::Default:
        break;
    }
    return Qt::ArrowCursor;
}

} // namespace

void SetScreenCursor(ScreenCursor cursor) {
    if (cursor == current)
        return;
    current = cursor;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    // At most one override is ever on the stack, so one restore brings back
    // the widgets' own cursors.
    const bool overridden = QGuiApplication::overrideCursor() != nullptr;
    if (cursor == ScreenCursor::Default) {
        if (overridden)
            QGuiApplication::restoreOverrideCursor();
    } else if (overridden) {
        QGuiApplication::changeOverrideCursor(QCursor(ShapeOf(cursor)));
    } else {
        QGuiApplication::setOverrideCursor(QCursor(ShapeOf(cursor)));
    }
}

ScreenCursor CurrentScreenCursor() {
    return current;
}
