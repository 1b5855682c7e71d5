#include "app/Connection.h"

#include "app/PageHost.h"
#include "board/Board.h"
#include "core/ConnectSequence.h"
#include "pages/PanelHost.h"
#include "skin/ButtonManager.h"
#include "skin/HiddenButton.h"
#include "skin/ScreenCursor.h"

using Tone = THost::Tone;

TConnection::TConnection(TBoard& board, TPageHost& host, TButtonManager& tabs,
                         TButtonManager& system, THiddenButton& buttonConnect)
    : board(board), host(host), tabs(tabs), system(system), buttonConnect(buttonConnect) {
    board.OnBeep = [this] { Report().Beep(); };
}

THost& TConnection::Report() const {
    return host.Host();
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
    if (board.IsConnected()) {
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
    // The host in use now: a test may have put its recorder in front.
    TConnectSequence sequence(board, Report());
    const bool result = sequence.Connect();
    fpgaTypeText = sequence.FpgaTypeText();
    SetConnectButton(result);
    SetScreenCursor(ScreenCursor::Default);
    EnableControls(true, TAB_ALL);
    return result;
}

void TConnection::DisconnectBoard() {
    board.Disconnect();
    fpgaTypeText.clear();
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
