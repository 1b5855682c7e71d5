#pragma once
#include <functional>
#include <string>

struct THiddenButton;
class TBoard;
class TButtonManager;
class THost;
class TPageHost;

// The panel's front end of the connection sequence: the Connect button
// connects or disconnects, with the window's controls disabled meanwhile;
// the sequence itself reports through the panel's host.
class TConnection {
  public:
    static constexpr int TAB_ALL = 20;
    static constexpr int TAB_CURRENT = 21;

    TConnection(TBoard& board, TPageHost& host, TButtonManager& tabs, TButtonManager& system,
                THiddenButton& buttonConnect);

    void ButtonConnectClick();
    bool ConnectBoard();
    void DisconnectBoard();
    // A page lost the link: the board is disconnected, its page stays shown.
    void HandleLinkLost();
    void EnableControls(bool enable, int tab);

    bool Connecting() const { return connecting; }
    const std::string& FpgaTypeText() const { return fpgaTypeText; }
    // Called once a connect or disconnect has run.
    std::function<void()> OnDone;

  private:
    void SetConnectButton(bool connected);
    THost& Report() const; // the host the page host hands out

    TBoard& board;
    TPageHost& host;
    TButtonManager& tabs;
    TButtonManager& system;
    THiddenButton& buttonConnect;
    std::string fpgaTypeText;
    bool connecting = false;
};
