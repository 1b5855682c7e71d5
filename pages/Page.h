#pragma once
#include <functional>

#include "skin/SkinWindow.h"

class TBoard;

// The contract every peripheral page keeps with the main window.
class TPage : public TSkinWindow {
    Q_OBJECT
public:
    using PageEvent = std::function<void(TPage* sender)>;
    explicit TPage(QWidget* parent) : TSkinWindow(parent) {}

    virtual void AttachBoard(TBoard* session) = 0;
    virtual void DetachBoard() = 0;

    PageEvent OnLinkLost;
    PageEvent OnUpdateTestArea; // memory page only

protected:
    bool IsDraggable() const override { return false; }
};
