#pragma once
#include <QString>
#include <functional>

// A standard button of a window's layout that is never shown: it lends its
// position and caption to a skinned button and keeps the enabled flag and the
// click handler.
struct THiddenButton {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    QString Caption;
    bool Enabled = true;
    std::function<void()> OnClick;

    void Click() const {
        if (Enabled && OnClick)
            OnClick();
    }
};
