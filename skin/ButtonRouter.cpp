#include "skin/ButtonRouter.h"

#include "skin/ButtonManager.h"
#include "skin/CustomButton.h"
#include "skin/HiddenButton.h"

void TButtonRouter::AddManager(TButtonManager* manager) {
    managers.push_back(manager);
}

void TButtonRouter::Bind(TButtonManager& manager, int id, THiddenButton& hidden,
                         const QString& bitmap) {
    manager.AddButton(id, hidden.Caption, bitmap, hidden.Left, hidden.Top);
    manager.SetButtonEnabled(id, hidden.Enabled);
    bindings.push_back({&manager, id, &hidden});
}

void TButtonRouter::SetEnabled(THiddenButton& hidden, bool on) {
    hidden.Enabled = on;
    for (const Binding& b : bindings)
        if (b.hidden == &hidden)
            b.manager->SetButtonEnabled(b.id, on);
}

const TButtonRouter::Binding* TButtonRouter::FindBinding(const TButtonManager* manager,
                                                         int id) const {
    for (const Binding& b : bindings)
        if (b.manager == manager && b.id == id)
            return &b;
    return nullptr;
}

void TButtonRouter::PaintButtons() {
    for (TButtonManager* m : managers)
        m->PaintButtons();
}

bool TButtonRouter::IsOverButton(int x, int y) const {
    for (const TButtonManager* m : managers)
        if (m->IsOverButton(x, y))
            return true;
    return false;
}

bool TButtonRouter::MouseDown(int x, int y) {
    for (TButtonManager* m : managers)
        if (m->ButtonsMouseDown(x, y))
            return true;
    return false;
}

bool TButtonRouter::MouseMove(int x, int y) {
    for (size_t i = 0; i < managers.size(); ++i)
        if (managers[i]->ButtonsMouseMove(x, y, i + 1 == managers.size()))
            return true;
    return false;
}

TButtonRouter::Hit TButtonRouter::MouseUp(int x, int y) {
    for (TButtonManager* m : managers) {
        const int id = m->ButtonsMouseUp(x, y);
        if (id >= 0)
            return Clicked(m, id);
    }
    return {};
}

TButtonRouter::Hit TButtonRouter::Click(TButtonManager& manager, int id) {
    const int clicked = manager.ClickButton(id);
    return clicked < 0 ? Hit{} : Clicked(&manager, clicked);
}

TButtonRouter::Hit TButtonRouter::Clicked(TButtonManager* manager, int id) {
    Hit hit{manager, id, false};
    if (const Binding* b = FindBinding(manager, id)) {
        hit.bound = true;
        b->hidden->Click();
    }
    return hit;
}

// ---- keyboard focus ----

TCustomButton* TButtonRouter::FocusedButton() const {
    for (const TButtonManager* m : managers)
        if (TCustomButton* b = m->FocusedButton())
            return b;
    return nullptr;
}

void TButtonRouter::ClearFocus() {
    for (TButtonManager* m : managers)
        m->SetFocusedButton(-1);
}

bool TButtonRouter::Focusable(const TCustomButton& b) const {
    // Only a button that a click on its middle reaches: a key presses it there.
    const QPoint c = Centre(b);
    for (const TButtonManager* m : managers)
        if (const TCustomButton* top = m->FindButtonAt(c.x(), c.y()))
            return top == &b;
    return false;
}

bool TButtonRouter::FocusNext(bool forward) {
    // Every button of every manager in one row, in the order the mouse asks them.
    std::vector<std::pair<TButtonManager*, TCustomButton*>> row;
    int at = -1;
    for (TButtonManager* m : managers)
        for (int i = 0; i < m->Count(); ++i) {
            TCustomButton* b = m->ButtonAt(i);
            if (b->Focused())
                at = static_cast<int>(row.size());
            row.emplace_back(m, b);
        }
    const int count = static_cast<int>(row.size());
    if (at < 0)
        at = forward ? -1 : count;
    for (int i = at + (forward ? 1 : -1); i >= 0 && i < count; i += forward ? 1 : -1) {
        auto [m, b] = row[i];
        if (Focusable(*b)) {
            ClearFocus();
            m->SetFocusedButton(b->Id());
            return true;
        }
    }
    ClearFocus();
    return false;
}

QPoint TButtonRouter::Centre(const TCustomButton& b) {
    return {b.X() + b.Width() / 2, b.Y() + b.FaceHeight() / 2};
}
