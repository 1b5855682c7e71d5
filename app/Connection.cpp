#include "app/Connection.h"

#include "app/PageHost.h"
#include "core/ForwardingHost.h"
#include "skin/ButtonManager.h"
#include "skin/HiddenButton.h"
#include "skin/ScreenCursor.h"

using Tone = THost::Tone;

namespace {

// The host the page host hands out at each call: a test may put its recorder
// in front of the window's host after the window was made.
class TCurrentHost : public TForwardingHost {
  public:
    explicit TCurrentHost(const TPageHost& pages) : pages(pages) {}

  protected:
    THost* Next() const override { return &pages.Host(); }

  private:
    const TPageHost& pages;
};

} // namespace

TConnection::TConnection(TBoard& board, TPageHost& host, TButtonManager& tabs,
                         TButtonManager& system, THiddenButton& buttonConnect)
    : report(std::make_unique<TCurrentHost>(host)), connection(board, *report),
      host(host), tabs(tabs), system(system), buttonConnect(buttonConnect) {}

THost& TConnection::Report() const {
    return *report;
}

void TConnection::EnableControls(bool enable, int tab) {
    buttonConnect.Enabled = enable;
    system.SetButtonEnabled(BTN_CONNECT, enable);
    system.SetButtonEnabled(BTN_CLOSE, enable);
    if (tab == TAB_ALL) {
        for (int id = 0; id < kPageCount; ++id)
            tabs.SetButtonEnabled(id, enable);
    } else if (tab == TAB_CURRENT) {
        tabs.SetButtonEnabled(host.CurrentPage(), enable);
    } else {
        tabs.SetButtonEnabled(tab, enable);
    }
}

void TConnection::SetConnectButton(bool connected) {
    buttonConnect.Caption = connected ? "Disconnect" : "Connect";
    system.SetButtonBitmap(BTN_CONNECT, connected ? "DISCONNECT_BTN" : "CONNECT_BTN");
}

void TConnection::ButtonConnectClick() {
    EnableControls(false, TAB_ALL);
    SetScreenCursor(ScreenCursor::HourGlass);
    if (connection.IsConnected()) {
        host.DetachCurrentPage();
        Report().Info("", Tone::Success);
        DisconnectBoard();
        SetConnectButton(false);
    } else {
        connecting = host.Connecting = true;
        tabs.SetButtonChecked(host.CurrentPage(), false);
        host.ShowPage(PAGE_WELCOME);
        const bool ok = ConnectBoard();
        connecting = host.Connecting = false;
        if (ok) {
            tabs.SetButtonChecked(PAGE_LED, true);
            host.ShowPage(PAGE_LED);
        } else {
            host.ShowWelcome(true);
        }
    }
    SetScreenCursor(ScreenCursor::Default);
    EnableControls(true, TAB_ALL);
    if (OnDone)
        OnDone();
}

bool TConnection::ConnectBoard() {
    EnableControls(false, TAB_ALL);
    SetScreenCursor(ScreenCursor::HourGlass);
    const bool result = connection.Connect(TBoardConnection::TPolicy::Configure);
    SetConnectButton(result);
    SetScreenCursor(ScreenCursor::Default);
    EnableControls(true, TAB_ALL);
    return result;
}

void TConnection::DisconnectBoard() {
    connection.Disconnect();
    SetConnectButton(false);
    Report().Info("", Tone::Success);
    Report().Status("Disconnected", Tone::Failure);
    EnableControls(false, TAB_ALL);
    system.SetButtonEnabled(BTN_CLOSE, true);
    buttonConnect.Enabled = true;
    system.SetButtonEnabled(BTN_CONNECT, true);
}

void TConnection::HandleLinkLost() {
    DisconnectBoard();
    Report().Status("Disconnected", Tone::Failure);
}
