#pragma once
#include <functional>
#include <memory>

#include "skin/ButtonRouter.h"
#include "skin/SkinWindow.h"

class TBitmapManager;
class TButtonKeys;
class TButtonManager;
class TBoard;
class THost;
struct THiddenButton;

// The kit every peripheral page is built from, and its contract with the main
// window: the background as bitmap key 0 (the client area is the background
// less its bottom 20 rows), the borrowed session, the host the page tells the
// user through, the page's push buttons, and running a command the way the
// session requires.
class TPage : public TSkinWindow {
    Q_OBJECT
  public:
    using PageEvent = std::function<void(TPage* sender)>;
    TPage(QWidget* parent, const char* background, const char* caption);
    ~TPage() override;

    // The main window lends the page its session while the page is shown and
    // takes it back before it disconnects. The controls follow: enabled when
    // the page says it is ready (Attached), disabled once the session is gone.
    void AttachBoard(TBoard* session);
    void DetachBoard();

    // Which of its device's parts the page works on now, so the main window
    // frames that part on the board picture; -1 frames the whole device.
    virtual int FramedPart() const { return -1; }

    // Whether the page runs a flow that lets the toolkit process messages
    // (a memory transfer or erase). Hiding the page leaves the flow running;
    // detaching it ends the flow. OnFlowEnded follows the flow's end.
    virtual bool IsBusy() const { return false; }

    TBoard* Board() const { return board; }
    // What the page tells the user goes to the host the page host gives it
    // (the main window's, or a test's recorder); until then to the panel's
    // plain host, which shows boxes and beeps but has no info line.
    THost& Host() const { return *host; }
    void SetHost(THost& to) { host = &to; }
    // The page's push buttons (made at the first use, so a page that adds
    // other managers first keeps them first in the mouse and focus order).
    TButtonManager& Buttons();

    PageEvent OnLinkLost;
    PageEvent OnFramedPartChanged;
    PageEvent OnFlowEnded;

  protected:
    // What the page does when a session comes, after it is set; returns
    // whether the controls may be used. By default: clear the info line, and
    // ready when the session is connected.
    virtual bool Attached();
    // What the page does before its session leaves (the session is still set:
    // a watched device is let go here).
    virtual void Detaching() {}
    // Enables or disables what needs a ready session.
    virtual void EnableControls(bool) {}

    // Adds push button `id` at the hidden button's place and binds the two.
    void BindButton(int id, THiddenButton& hidden);

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

    // The commands of one user action. Each Run enters the session's Lock,
    // runs its command only while the session is connected, and leaves the
    // Lock; when one failed, the scope raises OnLinkLost once as it ends,
    // after the page has put its controls back (the handler disconnects the
    // session, which needs the Lock free). Without a session nothing runs,
    // Run is false and nothing is raised.
    class TCommandScope {
      public:
        explicit TCommandScope(TPage& page) : page(page) {}
        ~TCommandScope();
        TCommandScope(const TCommandScope&) = delete;
        TCommandScope& operator=(const TCommandScope&) = delete;

        bool Run(const std::function<bool(TBoard&)>& command, ClosedLink closed);

      private:
        TPage& page;
        bool lost = false;
    };

    // One command in a scope of its own.
    bool RunCommand(const std::function<bool(TBoard&)>& command, ClosedLink closed);
    // One command under the Lock, its failure left to the caller.
    bool RunLocked(const std::function<bool(TBoard&)>& command, ClosedLink closed);
    void RaiseLinkLost();

    bool BoardConnected() const;

    TBoard* board = nullptr;
    std::unique_ptr<TBitmapManager> bitmaps;
    TButtonRouter router; // the page's button managers, in the order they take the mouse
    std::unique_ptr<TButtonKeys> keys; // Tab, Space and Return over the router's buttons

  private:
    std::unique_ptr<TButtonManager> buttons;
    THost* host;
};
