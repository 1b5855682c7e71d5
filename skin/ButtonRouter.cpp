#include "skin/ButtonRouter.h"

#include "skin/ButtonManager.h"
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
        if (id < 0)
            continue;
        Hit hit{m, id, false};
        if (const Binding* b = FindBinding(m, id)) {
            hit.bound = true;
            b->hidden->Click();
        }
        return hit;
    }
    return {};
}
