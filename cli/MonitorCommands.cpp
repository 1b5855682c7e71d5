#include "cli/MonitorCommands.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <ctime>
#include <functional>
#include <iostream>
#include <poll.h>
#include <string>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "board/Board.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/EndingSignals.h"
#include "logic/IrCodes.h"
#include "logic/Ps2Mouse.h"
#include "logic/Rs232Text.h"
#include "session/Devices.h"

namespace {

// The board answered, but refused what was asked of it.
constexpr ExitCode kExitRefused = static_cast<ExitCode>(3);

using kbr::devices::kIr;
using kbr::devices::kPs2;
using kbr::devices::kRs232;
using kbr::devices::TDevice;

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void NoteStopSignal(int signal) {
    stopSignal = signal;
}

// The signals that end a stream are held back while the board is spoken to,
// and let in only while waiting between polls: an exchange is never cut in
// half, and the loop always reaches the end that switches the mode off.
class TStopSignals {
  public:
    TStopSignals() {
        struct sigaction action {};
        action.sa_handler = NoteStopSignal;
        sigemptyset(&action.sa_mask);
        sigemptyset(&stops);
        for (int signal : signals) {
            sigaction(signal, &action, nullptr);
            sigaddset(&stops, signal);
        }
        // A closed standard output raises SIGPIPE while it is held back: the
        // write fails, and the stream ends there.
        sigprocmask(SIG_BLOCK, &stops, &waitMask);
        for (int signal : signals)
            sigdelset(&waitMask, signal);
    }
    ~TStopSignals() { sigprocmask(SIG_UNBLOCK, &stops, nullptr); }
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

    bool Stopped() const { return stopSignal != 0; }

    // Waits up to `ms`, or less when a stop signal comes or `fd` (when not
    // -1) has input; true when it has.
    bool Wait(int ms, int fd) const {
        pollfd entry{fd, POLLIN, 0};
        const timespec timeout{ms / 1000, (ms % 1000) * 1000000L};
        const int n = ppoll(&entry, fd >= 0 ? 1 : 0, &timeout, &waitMask);
        return n > 0 && (entry.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    }

  private:
    const std::vector<int> signals = EndingSignals();
    sigset_t stops;
    sigset_t waitMask;
};

// Monitoring mode of one device, on for the object's lifetime.
class TMonitoring {
  public:
    TMonitoring(TBoard& board, const TDevice& device) : board(board), device(device) {
        bool done = false;
        if (!board.SetDeviceMode(done, device.channel, 1))
            throw BoardFailure("switching on monitoring mode failed");
        if (!done)
            throw TCliError(kExitRefused, device.refused);
    }
    ~TMonitoring() {
        bool done = false;
        board.SetDeviceMode(done, device.channel, 0); // best effort, also after a failure
    }
    TMonitoring(const TMonitoring&) = delete;
    TMonitoring& operator=(const TMonitoring&) = delete;

  private:
    TBoard& board;
    const TDevice& device;
};

// What one poll brought: the board's answer and its bytes.
using ReadingHandler = std::function<void(bool done, const uint8_t* data, uint32_t count)>;
// Reads what waits on standard input and passes it on; false at its end.
using InputHandler = std::function<bool(TBoard& board)>;

struct TStream {
    const TDevice& device;
    double seconds = 0; // 0: until stopped
    ReadingHandler take;
    InputHandler input; // empty: standard input is not read
};

// Polls the channel until the time is up, a stop signal comes, standard
// output is gone, or standard input has ended and the board has nothing more.
void RunStream(const TStream& stream) {
    TBoard board;
    ConnectBoard(board);
    const TStopSignals signals;
    const TMonitoring monitoring(board, stream.device);

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(stream.seconds));
    bool inputOpen = static_cast<bool>(stream.input);
    bool draining = false;
    uint8_t data[TBoard::kDeviceChunk];
    while (!signals.Stopped()) {
        bool done = false;
        uint32_t count = 0;
        if (!board.ReadDeviceData(done, stream.device.channel, count, data))
            throw BoardFailure("reading from the board failed");
        stream.take(done, data, done ? count : 0);
        std::cout.flush();
        if (!std::cout)
            return;
        // After the end of input, what was sent may still come back: stop at
        // the first poll that brings nothing.
        if (draining && (!done || count == 0))
            return;

        const auto pollEnd = Clock::now() + std::chrono::milliseconds(stream.device.pollMs);
        while (!signals.Stopped()) {
            const auto now = Clock::now();
            if (stream.seconds > 0 && now >= deadline)
                return;
            auto until = pollEnd;
            if (stream.seconds > 0)
                until = std::min(until, deadline);
            if (now >= until)
                break;
            const int ms =
                static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(until - now).count());
            if (signals.Wait(ms, inputOpen ? STDIN_FILENO : -1) && !stream.input(board)) {
                inputOpen = false;
                draining = true;
            }
        }
    }
}

void SendText(TBoard& board, const std::string& text) {
    const std::vector<uint8_t> bytes = Rs232TransmitBytes(text);
    bool done = false;
    if (!board.SendDeviceData(done, kRs232.channel, static_cast<uint32_t>(bytes.size()),
                              bytes.data()) ||
        !done)
        throw BoardFailure(kbr::devices::kRs232TransmitFailed);
}

// Standard input as it comes, each piece sent as one text.
bool SendStandardInput(TBoard& board) {
    char buffer[4096];
    ssize_t n;
    do
        n = read(STDIN_FILENO, buffer, sizeof buffer);
    while (n < 0 && errno == EINTR);
    if (n <= 0)
        return false;
    SendText(board, std::string(buffer, static_cast<size_t>(n)));
    return true;
}

// Prints the board's complaint once each time it starts.
class TComplaint {
  public:
    explicit TComplaint(const char* text) : text(text) {}
    void Note(bool failing) {
        if (failing && !shown)
            std::cerr << "kbr370: " << text << "\n";
        shown = failing;
    }

  private:
    const char* text;
    bool shown = false;
};

ReadingHandler PrintRs232() {
    auto complaint = std::make_shared<TComplaint>(kbr::devices::kRs232.failed);
    return [complaint](bool done, const uint8_t* data, uint32_t count) {
        complaint->Note(!done);
        std::cout << EscapeForTerminal(Rs232StreamText(data, count));
    };
}

ReadingHandler PrintIrCodes() {
    auto complaint = std::make_shared<TComplaint>(kIr.refused);
    return [complaint](bool done, const uint8_t* data, uint32_t count) {
        complaint->Note(!done);
        for (uint32_t i = 0; i < count; ++i) {
            const int key = IrKeyOfCode(data[i]);
            std::cout << fmt::format("{:02X}", data[i])
                      << (key >= 0 ? fmt::format(" key {}", IrKeyLabel(key)) : "") << "\n";
        }
    };
}

ReadingHandler PrintMouseReports() {
    auto pointer = std::make_shared<TMousePointer>(CentredPointer());
    return [pointer](bool, const uint8_t* data, uint32_t count) {
        if (!IsWholeReports(count))
            return; // a broken reply is skipped whole, as the page does
        for (uint32_t at = 0; at < count; at += kMouseReportSize)
            if (ApplyMouseReport(*pointer, data + at))
                std::cout << fmt::format("buttons {} dx {} dy {} x {} y {}\n",
                                         MouseButtonsText(pointer->buttons),
                                         static_cast<int8_t>(data[at + 1]),
                                         static_cast<int8_t>(data[at + 2]), pointer->x, pointer->y);
    };
}

// The longest wait --seconds may ask for: about 31 years, far inside what the
// clock can count.
constexpr double kMaxSeconds = 1e9;

// A time to wait: finite, above 0 and not past kMaxSeconds ("nan" and "inf"
// parse as numbers).
std::string CheckSeconds(std::string& text) {
    double value = 0;
    if (!CLI::detail::lexical_cast(text, value) || !std::isfinite(value) || value <= 0 ||
        value > kMaxSeconds)
        return fmt::format("--seconds needs a number above 0 and at most {:.0f}, not \"{}\"",
                           kMaxSeconds, text);
    return {};
}

CLI::App* AddStream(CLI::App& parent, const char* name, const char* help, double& seconds) {
    CLI::App* sub = parent.add_subcommand(name, help);
    sub->add_option("--seconds", seconds, "stop after N seconds (default: until interrupted)")
        ->check(CLI::Validator(CheckSeconds, "SECONDS"));
    return sub;
}

} // namespace

void AddMonitorCommands(CLI::App& app) {
    // Owned by the callbacks, which outlive this function.
    auto seconds = std::make_shared<double>(0);
    auto text = std::make_shared<std::string>();

    CLI::App* rs232 = app.add_subcommand("rs232", "the board's serial port");
    rs232->require_subcommand(1);
    CLI::App* send = rs232->add_subcommand("send", "transmit a text and its zero byte");
    send->add_option("text", *text, "the text to transmit")->required();
    send->callback([text] {
        TBoard board;
        ConnectBoard(board);
        SendText(board, *text);
    });
    AddStream(*rs232, "receive", "print what the port receives", *seconds)->callback([seconds] {
        RunStream({kRs232, *seconds, PrintRs232(), {}});
    });
    AddStream(*rs232, "term", "standard input to the port, the port to standard output", *seconds)
        ->callback([seconds] {
            RunStream({kRs232, *seconds, PrintRs232(), SendStandardInput});
        });

    CLI::App* ir = app.add_subcommand("ir", "the infrared receiver");
    ir->require_subcommand(1);
    AddStream(*ir, "watch", "print each scan code, and the remote's key when known", *seconds)
        ->callback([seconds] {
            RunStream({kIr, *seconds, PrintIrCodes(), {}});
        });

    CLI::App* ps2 = app.add_subcommand("ps2", "the PS/2 mouse");
    ps2->require_subcommand(1);
    AddStream(*ps2, "watch", "print each mouse report and the pointer it moves", *seconds)
        ->callback([seconds] {
            RunStream({kPs2, *seconds, PrintMouseReports(), {}});
        });
}
