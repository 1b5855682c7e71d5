#pragma once
#include <array>
#include <functional>

#include "app/PageTable.h"

class Canvas;
class TAnimate;
class TBoard;
class THost;
class TPage;
class TSkinWindow;

// The pages of the main window: makes them, shows one at a time (or the
// welcome animation), attaches the shown one to the board, hands every page
// the host it tells the user through and frames its devices on the board
// picture.
class TPageHost {
  public:
    TPageHost(TSkinWindow& window, TBoard& board, TAnimate& welcome);
    ~TPageHost();
    TPageHost(const TPageHost&) = delete;
    TPageHost& operator=(const TPageHost&) = delete;

    TPage* Page(int kind) const;
    int CurrentPage() const { return currentPage; }
    bool FrameVisible(int frame) const { return frameVisible[frame]; }

    // The host every page tells the user through, and the window's
    // connection with them; the pages' plain host until it is set.
    THost& Host() const { return *host; }
    void SetHost(THost& to);

    void ShowPage(int kind);
    void BindPage(int kind, bool attach);
    // Detaches the shown page, if any, from the board.
    void DetachCurrentPage();
    // Detaches every page whose flow runs, shown or not: each flow then ends
    // as aborted before its next exchange.
    void DetachBusyPages();
    void HighlightDevice(int kind);
    void ShowWelcome(bool visible);
    // Whether the welcome animation plays while it is shown.
    bool Connecting = false;
    void PaintFrames(Canvas& canvas) const;

    // A page lost the board's link.
    std::function<void()> OnLinkLost;

  private:
    TSkinWindow& window;
    TBoard& board;
    TAnimate& welcome;
    std::array<TPage*, kPageCount> pages{};
    THost* host = nullptr;
    std::array<bool, kFrameCount> frameVisible{};
    int currentPage = PAGE_WELCOME;
};
