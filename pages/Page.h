#pragma once
#include <functional>
#include <memory>

#include "skin/ButtonRouter.h"
#include "skin/SkinWindow.h"

class TBitmapManager;
class TButtonKeys;
class TBoard;

// The contract every peripheral page keeps with the main window, and what all
// pages share: the background as bitmap key 0 (the client area is the
// background less its bottom 20 rows), the borrowed session, and running a
// command the way the session requires.
class TPage : public TSkinWindow {
    Q_OBJECT
  public:
    using PageEvent = std::function<void(TPage* sender)>;
    TPage(QWidget* parent, const char* background, const char* caption);
    ~TPage() override;

    virtual void AttachBoard(TBoard* session) = 0;
    virtual void DetachBoard() = 0;

    // Which of its device's parts the page works on now, so the main window
    // frames that part on the board picture; -1 frames the whole device.
    virtual int FramedPart() const { return -1; }

    // Whether the page runs a flow that lets the toolkit process messages
    // (a memory transfer or erase); detaching it ends that flow.
    virtual bool IsBusy() const { return false; }

    TBoard* Board() const { return board; }

    PageEvent OnLinkLost;
    PageEvent OnFramedPartChanged;

  protected:
    bool IsDraggable() const override { return false; }
    // Draws the background and the skinned buttons; pages draw their own
    // pictures after them.
    void FormPaint() override;
    // Mouse events go to the page's skinned buttons; a bound hidden button's
    // click handler runs on release.
    void FormMouseDown(int x, int y) override;
    void FormMouseMove(int x, int y) override;
    void FormMouseUp(int x, int y) override;

    // What a command's result is when the attached session's link is closed
    // and nothing could be sent.
    enum class ClosedLink { Success, Failure };

    // Enters the session's Lock, runs `command` only while the session is
    // connected, and leaves the Lock. No session: false, nothing runs.
    bool RunLocked(const std::function<bool(TBoard&)>& command, ClosedLink closed);
    // The same, and raises OnLinkLost after the Lock is left when it failed
    // (the handler disconnects the session, which needs the Lock free).
    // Without a session nothing runs and nothing is raised.
    bool RunCommand(const std::function<bool(TBoard&)>& command, ClosedLink closed);
    void RaiseLinkLost();

    bool BoardConnected() const;

    TBoard* board = nullptr;
    std::unique_ptr<TBitmapManager> bitmaps;
    TButtonRouter router; // the page's button managers, in the order they take the mouse
    std::unique_ptr<TButtonKeys> keys; // Tab, Space and Return over the router's buttons
};
