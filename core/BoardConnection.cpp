#include "core/BoardConnection.h"

#include <fmt/format.h>

#include "board/Board.h"
#include "config/DesignPath.h"
#include "config/Download.h"
#include "core/ConnectSequence.h"
#include "core/Host.h"
#include "platform/ChosenCable.h"
#include "platform/TerminalText.h"
#include "wire/WireFacts.h"

namespace {

constexpr const char* kDesignName = "KBR_370_ControlPanel.sof";
constexpr const char* kConfigureHint =
    "the FPGA must be configured with the control panel design first: run `kbr370 configure`";

} // namespace

TBoardConnection::TBoardConnection(TBoard& board, THost& host) : board(board), host(host) {
    // A spoilt exchange beeps through whichever front end holds the link.
    board.OnBeep = [this] { this->host.Beep(); };
}

TBoardConnection::TBoardConnection(THost& host)
    : owned(std::make_unique<TBoard>()), board(*owned), host(host) {
    board.OnBeep = [this] { this->host.Beep(); };
}

TBoardConnection::~TBoardConnection() {
    // A lent board outlives us: it must not call back into a host we no longer know.
    board.OnBeep = nullptr;
}

bool TBoardConnection::Connect(TPolicy policy) {
    failure.clear();
    bool connected = false;
    if (policy == TPolicy::Configure) {
        TConnectSequence sequence(board, host);
        connected = sequence.Connect();
        fpgaTypeText = sequence.FpgaTypeText();
    } else {
        connected = ConnectAdvised();
    }
    if (connected)
        host.Connected(board.LinkInfo);
    return connected;
}

bool TBoardConnection::ConnectAdvised() {
    // The cable must be one we know, and the virtual board's directory ours,
    // before anything goes there; the driver checks too, but one line from us
    // says it better than its line and ours.
    failure = RefusedCable();
    if (!failure.empty())
        return false;
    std::string error;
    const bool opened = board.Connect(error, 0);
    if (!board.LibraryError().empty())
        host.Box(platform::MessageKind::Error, board.LibraryError());
    if (!opened) {
        // Configuring mends only a board that does not answer. A held link has
        // its own advice, and the library has told any other cause already
        // (Quartus, the cable, the chain) in a line of its own.
        if (board.LinkInUse())
            failure = HeldLinkText(error);
        else if (!board.LinkUnanswered())
            failure = error;
        else
            failure = fmt::format("{} The board does not answer; {}", error, kConfigureHint);
        return false;
    }
    std::string name;
    switch (TConnectSequence::CheckBoardName(board, name)) {
    case TConnectSequence::TNameCheck::Ok:
        return true;
    case TConnectSequence::TNameCheck::NoAnswer:
        failure = fmt::format("the board does not tell its name; {}", kConfigureHint);
        break;
    case TConnectSequence::TNameCheck::WrongName:
        failure = fmt::format("the board answers as \"{}\", not {}; {}",
                              platform::TerminalSafe(name), BoardName(), kConfigureHint);
        break;
    }
    board.Disconnect();
    return false;
}

void TBoardConnection::Disconnect() {
    board.Disconnect();
    fpgaTypeText.clear();
}

bool TBoardConnection::IsConnected() const {
    return board.IsConnected();
}

const std::string& TBoardConnection::LinkInfo() const {
    return board.LinkInfo;
}

const char* TBoardConnection::BoardName() {
    return kbr::wire::kBoardName;
}

bool TBoardConnection::QueryBoardName(std::string& name) {
    return Exchange([&name](TBoard& b) { return b.QueryBoardName(name); },
                    "the board did not tell its name");
}

bool TBoardConnection::Exchange(const std::function<bool(TBoard&)>& exchange,
                                const std::string& reason) {
    bool ok = false;
    {
        const std::lock_guard<std::recursive_mutex> hold(board.Lock);
        ok = exchange(board);
    }
    if (!ok)
        LoseLink(reason);
    return ok;
}

void TBoardConnection::LoseLink(const std::string& reason) {
    Disconnect();
    host.LinkLost(reason);
}

void TBoardConnection::SetDefaultReplyLimit(uint32_t ms) {
    TBoard::SetDefaultLimits(TBoard::TLimits().WithReplyLimit(ms));
}

uint32_t TBoardConnection::BoardReplyLimitMs() {
    return TBoard::TLimits().replyMs;
}

void TBoardConnection::SetReplyLimit(uint32_t ms) {
    board.SetLimits(board.Limits().WithReplyLimit(ms));
}

std::string TBoardConnection::DefaultDesignFile() {
    return DesignFilePath(kDesignName);
}

bool TBoardConnection::Configure(const std::string& designFile) {
    TConnectSequence sequence(board, host);
    TDownload download;
    sequence.ReportLoadError(download);
    return sequence.Configure(download, designFile);
}

std::string TBoardConnection::HeldLinkRefusal() {
    // Trying the link is what tells, for every cable.
    std::string error;
    const bool opened = TConnectSequence(board, host).OpenLink(error);
    board.Disconnect();
    return !opened && board.LinkInUse() ? HeldLinkText(error) : std::string();
}

// The virtual board knows which program holds its link.
std::string TBoardConnection::HeldLinkText(const std::string& error) const {
    if (platform::ChosenCable() != platform::kVirtualCable)
        return error;
    return error + " `kbr370-vboard list` names it.";
}

std::string TBoardConnection::RefusedCable() {
    return TConnectSequence::RefusedCable();
}

std::string TBoardConnection::MissingFileText(const std::string& path) {
    return TConnectSequence::MissingFileText(path);
}
