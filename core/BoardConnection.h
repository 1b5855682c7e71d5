#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TBoard;
class THost;

// The board's link as every front end holds it: connecting (with one of two
// policies), the board-name check, the beep of a spoilt exchange, losing the
// link, time limits and configuring the FPGA. It tells its host everything
// (core/Host.h): Connected(link) once a connect succeeds, LinkLost(reason)
// when an exchange fails, which also drops the link.
//
// The panel keeps its own TBoard (its pages hold it) and lends it; kbr370 and
// the Python module let the connection own one. The device operations of
// core/devices take a connection.
class TBoardConnection {
  public:
    enum class TPolicy {
        // A board that does not answer is configured with the design file,
        // every step told through the host, failures in boxes (the panel).
        Configure,
        // Nothing is configured: a board that does not answer gets advice to
        // run `kbr370 configure`, in FailureText(); the host hears nothing of
        // the failure, the front end ends with the text (kbr370).
        Advise,
    };

    // Over a board the caller owns and keeps alive longer than the connection.
    TBoardConnection(TBoard& board, THost& host);
    // With a board of its own.
    explicit TBoardConnection(THost& host);
    ~TBoardConnection();
    TBoardConnection(const TBoardConnection&) = delete;
    TBoardConnection& operator=(const TBoardConnection&) = delete;

    // Opens the link and checks that the board answers with its name; true
    // when it does. A connection already open is checked again.
    bool Connect(TPolicy policy);
    void Disconnect();
    bool IsConnected() const;
    // Why the last Connect of the Advise policy failed; empty after a success
    // (the Configure policy has told its host already).
    const std::string& FailureText() const { return failure; }

    // What the link library says of the cable once connected; empty before.
    const std::string& LinkInfo() const;
    // "EP3C120/EP4CE115" once the Configure policy detected the board.
    const std::string& FpgaTypeText() const { return fpgaTypeText; }
    // The name every KBR-370 answers with ("KBR_370").
    static const char* BoardName();
    // Asks the board for its name; false when the exchange failed (the link
    // is then lost).
    bool QueryBoardName(std::string& name);

    // Runs one exchange under the board's lock; when it fails, the link is
    // lost with `reason`. For the device operations.
    bool Exchange(const std::function<bool(TBoard&)>& exchange, const std::string& reason);
    // The link failed: it is dropped and the host is told why.
    void LoseLink(const std::string& reason);

    // Time limits. What every later connection of this process waits for a
    // reply (kbr370 --time-limit), the board's own default, and this
    // connection's limit alone.
    static void SetDefaultReplyLimit(uint32_t ms);
    static uint32_t BoardReplyLimitMs();
    void SetReplyLimit(uint32_t ms);

    // Configuring the FPGA, outside a connect: the design file the panel
    // uses ($KBR370_DESIGN, else the one beside the program).
    static std::string DefaultDesignFile();
    // Configures the FPGA from `designFile` (a path the download tool can
    // open from anywhere); steps are told as info lines, a failure in a box.
    bool Configure(const std::string& designFile);
    // Whether another program holds the link; configuring would cut that
    // program off. The refusal's text, or empty when the link is free.
    std::string HeldLinkRefusal();
    // Why the chosen cable cannot be used (an unknown name, a refused
    // directory); empty when it can.
    static std::string RefusedCable();
    static std::string MissingFileText(const std::string& path);

    // The board itself, for the core's jobs and the panel's pages.
    TBoard& Board() { return board; }
    THost& Host() { return host; }

  private:
    bool ConnectAdvised();
    std::string HeldLinkText(const std::string& error) const;

    std::unique_ptr<TBoard> owned;
    TBoard& board;
    THost& host;
    std::string failure;
    std::string fpgaTypeText;
};
