#pragma once
#include <functional>
#include <memory>
#include <string>

#include "core/BoardConnection.h"

struct THiddenButton;
class TBoard;
class TButtonManager;
class THost;
class TPageHost;

// The panel's front end of the board connection: the Connect button connects
// (configuring a blank board) or disconnects, with the window's controls
// disabled meanwhile; the connection reports through the panel's host.
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
    const std::string& FpgaTypeText() const { return connection.FpgaTypeText(); }
    // Called once a connect or disconnect has run.
    std::function<void()> OnDone;

  private:
    void SetConnectButton(bool connected);
    THost& Report() const; // the host the page host hands out at the time

    // Whatever host the panel reports through at the time of each call.
    std::unique_ptr<THost> report;
    TBoardConnection connection;
    TPageHost& host;
    TButtonManager& tabs;
    TButtonManager& system;
    THiddenButton& buttonConnect;
    bool connecting = false;
};
