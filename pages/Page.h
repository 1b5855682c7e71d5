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

    // The memory the page shows (0 SRAM, 1 EEPROM, 2 SDRAM, 3 flash), so the main
    // window can frame it on the board picture; -1 for pages without one.
    virtual int SelectedMemory() const { return -1; }

    PageEvent OnLinkLost;
    PageEvent OnUpdateTestArea; // memory page only

  protected:
    bool IsDraggable() const override { return false; }
};
