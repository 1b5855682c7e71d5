#include "skin/ButtonKeys.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>

#include "skin/ButtonRouter.h"
#include "skin/CustomButton.h"
#include "skin/SkinWindow.h"

TButtonKeys::TButtonKeys(TSkinWindow* window, TButtonRouter& router)
    : window(window), router(router) {
    window->setFocusPolicy(Qt::TabFocus);
    window->installEventFilter(this);
}

TButtonKeys::~TButtonKeys() {
    window->removeEventFilter(this);
}

bool TButtonKeys::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window)
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
        FocusIn(static_cast<QFocusEvent*>(event)->reason());
        return false;
    case QEvent::FocusOut: {
        // Another window coming to the front keeps the focused button for
        // when this one is back; anything else takes it away.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            router.ClearFocus();
        return false;
    }
    case QEvent::KeyPress:
        return KeyPress(*static_cast<QKeyEvent*>(event));
    default:
        return false;
    }
}

void TButtonKeys::FocusIn(Qt::FocusReason reason) {
    if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason)
        return;
    const bool forward = reason == Qt::TabFocusReason;
    if (!router.FocusNext(forward))
        PassFocusOn(forward);
}

bool TButtonKeys::KeyPress(const QKeyEvent& key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (key.key()) {
    case Qt::Key_Tab:
        // Past the last button the toolkit moves on to the next control.
        return router.FocusNext(!(key.modifiers() & Qt::ShiftModifier));
    case Qt::Key_Backtab:
        return router.FocusNext(false);
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const TCustomButton* b = router.FocusedButton();
        if (!b)
            return false;
        if (b->Enabled() && !key.isAutoRepeat()) {
            const QPoint at = TButtonRouter::Centre(*b);
            window->PressAt(at.x(), at.y());
        }
        return true;
    }
    default:
        return false;
    }
}

void TButtonKeys::PassFocusOn(bool forward) {
    // No button to focus: the focus goes on as if Tab were pressed again. Once
    // only, so a chain of such windows cannot bounce it for ever.
    static bool passing = false;
    if (passing)
        return;
    passing = true;
    QKeyEvent tab(QEvent::KeyPress, forward ? Qt::Key_Tab : Qt::Key_Backtab,
                  forward ? Qt::NoModifier : Qt::ShiftModifier);
    QCoreApplication::sendEvent(window, &tab);
    passing = false;
}
