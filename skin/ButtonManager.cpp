#include "skin/ButtonManager.h"

#include <QWidget>

#include "skin/Canvas.h"
#include "skin/ScreenCursor.h"

TButtonManager::TButtonManager(QWidget* owner, Canvas* canvas, TButtonMode mode)
    : owner(owner), canvas(canvas), mode(mode) {}

TButtonManager::~TButtonManager() {
    // A grab outliving its manager would swallow every mouse event of the desktop.
    Capture(false);
}

void TButtonManager::Capture(bool on) {
    if (!owner)
        return;
    if (on) {
        if (owner->isVisible() && QWidget::mouseGrabber() != owner)
            owner->grabMouse();
    } else if (QWidget::mouseGrabber() == owner) {
        owner->releaseMouse();
    }
}

void TButtonManager::AddButton(int id, const QString& caption, const QString& resourceName, int x,
                               int y) {
    buttons.push_back(std::make_unique<TCustomButton>(id, caption, resourceName, x, y, true));
}

void TButtonManager::PaintButtons() {
    if (!canvas)
        return;
    for (const auto& b : buttons)
        b->PaintRest(*canvas);
}

TCustomButton* TButtonManager::FindButtonAt(int x, int y) const {
    for (const auto& b : buttons)
        if (b->Enabled() && b->HitTest(x, y))
            return b.get();
    return nullptr;
}

TCustomButton* TButtonManager::FindButton(int id) const {
    for (const auto& b : buttons)
        if (b->Id() == id)
            return b.get();
    return nullptr;
}

bool TButtonManager::ButtonsMouseDown(int x, int y) {
    TCustomButton* b = FindButtonAt(x, y);
    if (!b)
        return false;
    // A press can come without a move before it (a window that appeared under
    // the pointer); the button drawn pressed is the hot one from now on, so
    // the next move away returns it to rest.
    if (b->Id() != hotId && hotId >= 0)
        RedrawButton(hotId);
    if (canvas)
        b->DrawFace(*canvas, bfPressed);
    hotId = b->Id();
    mouseDown = true;
    return true;
}

bool TButtonManager::ButtonsMouseMove(int x, int y, bool resetCursor) {
    TCustomButton* b = FindButtonAt(x, y);
    if (b) {
        SetScreenCursor(ScreenCursor::HandPoint);
        // The old hot button goes back to rest before the new one is drawn, so
        // where two buttons overlap the one under the pointer stays on top.
        if (b->Id() != hotId && hotId >= 0)
            RedrawButton(hotId);
        if (canvas)
            b->DrawFace(*canvas, mouseDown ? bfPressed : bfHot);
        hotId = b->Id();
        Capture(true);
        return true;
    }
    if (resetCursor)
        SetScreenCursor(ScreenCursor::Default);
    if (hotId >= 0) {
        RedrawButton(hotId);
        hotId = -1;
    }
    Capture(false);
    return false;
}

int TButtonManager::ButtonsMouseUp(int x, int y) {
    TCustomButton* b = FindButtonAt(x, y);
    const int result = b ? Click(*b) : -1;
    mouseDown = false;
    Capture(false);
    return result;
}

int TButtonManager::ClickButton(int id) {
    TCustomButton* b = FindButton(id);
    return b && b->Enabled() && b->HasBitmap() ? Click(*b) : -1;
}

int TButtonManager::Click(TCustomButton& b) {
    if (mode == bmRadio) {
        UncheckAllButtons();
        b.SetChecked(true);
    } else if (mode == bmToggle) {
        b.SetChecked(!b.Checked());
    }
    if (canvas)
        b.PaintRest(*canvas);
    return b.Id();
}

TCustomButton* TButtonManager::FocusedButton() const {
    for (const auto& b : buttons)
        if (b->Focused())
            return b.get();
    return nullptr;
}

void TButtonManager::SetFocusedButton(int id) {
    if (TCustomButton* old = FocusedButton()) {
        old->SetFocused(false);
        RedrawButton(old->Id());
    }
    if (TCustomButton* b = FindButton(id)) {
        b->SetFocused(true);
        RedrawButton(id);
    }
}

void TButtonManager::RedrawButton(int id) {
    if (TCustomButton* b = FindButton(id); b && canvas)
        b->PaintRest(*canvas);
}

void TButtonManager::SetButtonEnabled(int id, bool enabled) {
    if (TCustomButton* b = FindButton(id)) {
        b->SetEnabled(enabled);
        RedrawButton(id);
    }
}

void TButtonManager::SetButtonChecked(int id, bool checked) {
    if (TCustomButton* b = FindButton(id)) {
        b->SetChecked(checked);
        RedrawButton(id);
    }
}

bool TButtonManager::IsButtonChecked(int id) const {
    const TCustomButton* b = FindButton(id);
    return b && b->Checked();
}

void TButtonManager::UncheckAllButtons() {
    for (const auto& b : buttons) {
        b->SetChecked(false);
        if (canvas)
            b->PaintRest(*canvas);
    }
}

void TButtonManager::SetButtonBitmap(int id, const QString& resourceName) {
    if (TCustomButton* b = FindButton(id)) {
        b->LoadBitmap(resourceName);
        RedrawButton(id);
    }
}

void TButtonManager::SetButtonCaption(int id, const QString& caption) {
    if (TCustomButton* b = FindButton(id)) {
        b->SetCaption(caption);
        RedrawButton(id);
    }
}
