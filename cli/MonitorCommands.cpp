#include "cli/MonitorCommands.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/FileName.h"
#include "cli/JsonOutput.h"
#include "cli/SerialTerminal.h"
#include "cli/StopSignals.h"
#include "cli/TerminalMode.h"
#include "core/BoardConnection.h"
#include "core/DeviceWatch.h"
#include "core/devices/Devices.h"
#include "core/devices/IrCodes.h"
#include "core/devices/Ps2Mouse.h"
#include "core/devices/Rs232Text.h"
#include "core/files/OutputTarget.h"
#include "core/files/WholeIo.h"
#include "platform/TerminalText.h"

namespace {

// The board answered, but refused what was asked of it.
constexpr ExitCode kExitRefused = static_cast<ExitCode>(3);

using kbr::devices::kIr;
using kbr::devices::kPs2;
using kbr::devices::kRs232;
using kbr::devices::TDevice;

// A note on standard error that does not end the stream; one object under --json.
void Notice(const std::string& text) {
    std::cout.flush();
    if (JsonOutput())
        PrintJson(std::cerr, {{"warning", text}});
    else
        std::cerr << "kbr370: " << text << "\n";
}

// Prints the board's complaint once each time it starts.
class TComplaint {
  public:
    explicit TComplaint(const char* text) : text(text) {}
    void Note(bool failing) {
        if (failing && !shown)
            Notice(text);
        shown = failing;
    }

  private:
    const char* text;
    bool shown = false;
};

// The link failed in the middle of a stream: with --reconnect the stream
// waits for the board, otherwise it ends as a failure.
class TLinkLost : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Monitoring mode of one device on, for the watch's lifetime.
void StartWatch(kbr::TDeviceWatch& watch, const TDevice& device) {
    switch (watch.Start()) {
    case kbr::TDeviceWatch::TOutcome::Ok:
        return;
    case kbr::TDeviceWatch::TOutcome::Refused:
        throw TCliError(kExitRefused, device.refused);
    case kbr::TDeviceWatch::TOutcome::LinkFailed:
        throw TLinkLost(kbr::devices::kWatchStartFailed);
    }
}

// What one poll brought: the board's answer and its bytes.
using ReadingHandler = std::function<void(bool done, const uint8_t* data, uint32_t count)>;

enum class InputState { Open, Ended, Quit };
// Reads what waits on standard input and sends it through `connection`; while
// the link is lost `connection` is null and what was typed is dropped.
using InputHandler = std::function<InputState(TBoardConnection* connection)>;

// What every stream command takes.
struct TStreamOptions {
    double seconds = 0; // 0: until stopped
    bool reconnect = false;
};

struct TStream {
    TStream(const TDevice& device, const TStreamOptions& options)
        : device(device), seconds(options.seconds), reconnect(options.reconnect) {}
    const TDevice& device;
    double seconds;
    bool reconnect;
    ReadingHandler take;
    InputHandler input;             // empty: standard input is not read
    bool rawKeys = false;           // a terminal on standard input gives its keys raw
    std::function<void()> end;      // empty: nothing held back at the end
    const char* greeting = nullptr; // said once monitoring mode is first on
};

// How often a lost board is looked for again.
constexpr int kReconnectPeriodMs = 1000;

// One stream from its first poll to its end.
class TStreamRun {
  public:
    TStreamRun(const TStream& stream, TBoardConnection& connection)
        : stream(stream), connection(connection), inputOpen(static_cast<bool>(stream.input)),
          deadline(Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(stream.seconds))) {}

    // Polls the channel until the time is up, a stop signal comes, standard
    // output is gone, the quit key is typed, or standard input has ended and
    // the board has nothing more.
    void Run() {
        std::optional<TTerminalMode> keys;
        if (stream.rawKeys)
            keys.emplace(STDIN_FILENO);
        for (;;) {
            try {
                // Switched off again when the watch ends, also after a failure.
                kbr::TDeviceWatch watch(connection, stream.device.channel);
                StartWatch(watch, stream.device);
                if (greeting)
                    Notice(std::exchange(greeting, nullptr));
                // A full read leaves more waiting: read again at once, so a
                // port at full speed is kept up with.
                bool full = false;
                while (Poll(watch, full) && Pause(full ? 0 : stream.device.pollMs, &connection)) {
                }
                break;
            } catch (const TLinkLost& lost) {
                if (!stream.reconnect)
                    throw BoardFailure(lost.what());
                if (!AwaitBoard(lost.what()))
                    break;
            }
        }
        if (stream.end)
            stream.end();
        std::cout.flush();
    }

  private:
    using Clock = std::chrono::steady_clock;

    // One read of the channel; false when the stream ends here. `full`: the
    // read brought all it can, so more may be waiting.
    bool Poll(kbr::TDeviceWatch& watch, bool& full) {
        const kbr::TDeviceWatch::TReading reading = watch.Tick();
        if (reading.outcome == kbr::TDeviceWatch::TOutcome::LinkFailed)
            throw TLinkLost(kbr::devices::kWatchReadFailed);
        const bool done = reading.outcome == kbr::TDeviceWatch::TOutcome::Ok;
        const uint32_t count = reading.count;
        full = reading.Full();
        stream.take(done, reading.data.data(), count);
        std::cout.flush();
        if (!std::cout)
            return false;
        // After the end of input, what was sent may still come back: stop at
        // the first poll that brings nothing.
        return !(draining && (!done || count == 0));
    }

    // Waits `ms`, taking standard input as it comes; false when the stream
    // ends before. Even a pause of 0 looks once for stop signals and input.
    bool Pause(int ms, TBoardConnection* link) {
        const auto until = Clock::now() + std::chrono::milliseconds(ms);
        for (bool looked = false;; looked = true) {
            if (signals.Stopped() || TStopSignals::OutputGone())
                return false;
            const auto now = Clock::now();
            if (stream.seconds > 0 && now >= deadline)
                return false;
            const auto end = stream.seconds > 0 ? std::min(until, deadline) : until;
            if (looked && now >= end)
                return true;
            const int wait = static_cast<int>(std::max<Clock::rep>(
                0, std::chrono::ceil<std::chrono::milliseconds>(end - now).count()));
            if (!signals.Wait(wait, inputOpen ? STDIN_FILENO : -1))
                continue;
            const InputState state = stream.input(link);
            if (state == InputState::Quit)
                return false;
            if (state == InputState::Ended) {
                inputOpen = false;
                draining = true;
                if (!link)
                    return false; // nothing can come back from a board that is gone
            }
        }
    }

    // Says the link is lost and tries to connect again, quietly, until the
    // board answers (true) or the stream ends.
    bool AwaitBoard(const char* why) {
        // An operation that failed has dropped the link already.
        if (connection.IsConnected())
            connection.LoseLink(why);
        Notice(fmt::format("{}; waiting for the board to come back", why));
        while (Pause(kReconnectPeriodMs, nullptr)) {
            try {
                ConnectBoard(connection);
                Notice("the board is back");
                return true;
            } catch (const std::runtime_error&) {
                connection.Disconnect();
            }
        }
        return false;
    }

    const TStream& stream;
    TBoardConnection& connection;
    const TStopSignals signals;
    const char* greeting = stream.greeting;
    bool inputOpen;
    bool draining = false;
    Clock::time_point deadline;
};

// Runs the stream on a freshly connected board. A stop signal ends it as the
// signal would have, after the cleanup: exit 128 + the signal.
void RunStream(THost& host, const TStream& stream) {
    RequireStandardOutput();
    TBoardConnection connection(host);
    ConnectBoard(connection);
    TStreamRun(stream, connection).Run();
    if (const int signal = TStopSignals::Caught())
        throw TCliError(static_cast<ExitCode>(128 + signal), "");
    if (TStopSignals::OutputGone())
        throw TCliError(kExitFailure, kOutputGone);
    if (!std::cout)
        throw TCliError(kExitFailure, "writing to standard output failed");
}

void SendText(TBoardConnection& connection, const std::string& text) {
    const kbr::devices::TDeviceResult sent = kbr::devices::Rs232Send(connection, text);
    if (sent.outcome == kbr::devices::TOutcome::LinkFailed)
        throw TLinkLost(sent.reason);
    if (!sent.Ok())
        throw BoardFailure(sent.reason);
}

// Standard input as it comes: each read's keys one text.
InputHandler SendKeys(bool terminal, std::optional<std::string> enter) {
    auto keys = std::make_shared<TTerminalKeys>(terminal, std::move(enter));
    return [keys](TBoardConnection* connection) {
        char buffer[4096];
        ssize_t n;
        do
            n = read(STDIN_FILENO, buffer, sizeof buffer);
        while (n < 0 && errno == EINTR);
        if (n <= 0)
            return InputState::Ended;
        const TKeyAction action = keys->Take({buffer, static_cast<size_t>(n)});
        if (action.help)
            std::cerr << kTerminalKeysHelp;
        if (connection && !action.send.empty())
            SendText(*connection, action.send);
        return action.quit ? InputState::Quit : InputState::Open;
    };
}

// The received bytes appended to a file as they came, zero bytes too.
class TReceiveLog {
  public:
    // By the rules every written file follows (core/files/OutputTarget.h).
    explicit TReceiveLog(std::string path) : path(std::move(path)) {
        std::string reason;
        fd = OpenLogFile(this->path, reason);
        if (fd < 0)
            throw UsageError(platform::TerminalSafe(reason));
    }
    ~TReceiveLog() { close(fd); }
    TReceiveLog(const TReceiveLog&) = delete;
    TReceiveLog& operator=(const TReceiveLog&) = delete;

    void Write(const uint8_t* data, uint32_t count) {
        errno = 0;
        if (!WriteAll(fd, data, count))
            throw TCliError(kExitFailure, fmt::format("writing the log {} failed: {}",
                                                      platform::TerminalSafe(path),
                                                      std::strerror(errno ? errno : ENOSPC)));
    }

  private:
    std::string path;
    int fd;
};

ReadingHandler PrintRs232(std::shared_ptr<TReceivedView> view, std::shared_ptr<TReceiveLog> log) {
    auto complaint = std::make_shared<TComplaint>(kbr::devices::kRs232.failed);
    return [complaint, view, log](bool done, const uint8_t* data, uint32_t count) {
        complaint->Note(!done);
        if (log)
            log->Write(data, count);
        std::cout << view->Take(data, count);
    };
}

// Each byte is the Latin-1 letter of its number, as the panel shows it.
std::string Latin1AsUtf8(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            text += c;
        else {
            text += static_cast<char>(0xC0 | (b >> 6));
            text += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return text;
}

ReadingHandler PrintRs232Json(std::shared_ptr<TReceiveLog> log) {
    auto complaint = std::make_shared<TComplaint>(kbr::devices::kRs232.failed);
    return [complaint, log](bool done, const uint8_t* data, uint32_t count) {
        complaint->Note(!done);
        if (count == 0)
            return;
        if (log)
            log->Write(data, count);
        std::string hex;
        for (uint32_t i = 0; i < count; ++i)
            hex += fmt::format("{:02X}", data[i]);
        PrintJson(std::cout, StampedLine({{"text", Latin1AsUtf8(Rs232StreamText(data, count))},
                                          {"hex", hex}}));
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

ReadingHandler PrintIrCodes() {
    auto complaint = std::make_shared<TComplaint>(kIr.refused);
    return [complaint](bool done, const uint8_t* data, uint32_t count) {
        complaint->Note(!done);
        for (const kbr::devices::TIrCode& c : kbr::devices::DecodeIrCodes(data, count)) {
            if (JsonOutput())
                PrintJson(std::cout,
                          StampedLine({{"code", c.code},
                                       {"key", c.key >= 0 ? nlohmann::json(IrKeyLabel(c.key))
                                                          : nlohmann::json(nullptr)}}));
            else
                std::cout << fmt::format("{:02X}", c.code)
                          << (c.key >= 0 ? fmt::format(" key {}", IrKeyLabel(c.key)) : "")
                          << "\n";
        }
    };
}

ReadingHandler PrintMouseReports() {
    auto pointer = std::make_shared<TMousePointer>(CentredPointer());
    return [pointer](bool, const uint8_t* data, uint32_t count) {
        for (const kbr::devices::TMouseReport& r :
             kbr::devices::DecodeMouseReports(*pointer, data, count)) {
            if (JsonOutput())
                PrintJson(std::cout, StampedLine({{"left", (r.buttons & 1) != 0},
                                                  {"right", (r.buttons & 2) != 0},
                                                  {"dx", r.dx},
                                                  {"dy", r.dy},
                                                  {"x", r.pointer.x},
                                                  {"y", r.pointer.y}}));
            else
                std::cout << fmt::format("buttons {} dx {} dy {} x {} y {}\n",
                                         MouseButtonsText(r.buttons), r.dx, r.dy, r.pointer.x,
                                         r.pointer.y);
        }
    };
}

// The options every stream takes; the values live as long as the callbacks.
std::shared_ptr<TStreamOptions> AddStream(CLI::App& sub) {
    auto options = std::make_shared<TStreamOptions>();
    sub.add_option("--seconds", options->seconds,
                   "stop after N seconds, a decimal number that may have a fraction "
                   "(2.5); default: until interrupted")
        ->check(CLI::Validator(CheckSeconds, "SECONDS"));
    sub.add_flag("--reconnect", options->reconnect,
                 "when the link is lost, wait for the board to come back and carry on");
    return options;
}

// What the serial port's receiving streams take besides.
struct TRs232Options {
    std::string log;
    std::string map;
    CLI::Option* mapOption = nullptr;
    bool raw = false;
    bool timestamps = false;

    // What Enter sends, when --map was given.
    std::optional<std::string> Enter() const {
        if (mapOption->count() == 0)
            return std::nullopt;
        return EnterBytes(map);
    }

    std::shared_ptr<TReceiveLog> Log() const {
        return log.empty() ? nullptr : std::make_shared<TReceiveLog>(log);
    }
    ReadingHandler Printer(std::function<void()>& end) const {
        if (JsonOutput())
            return PrintRs232Json(Log());
        auto view =
            std::make_shared<TReceivedView>(TViewOptions{raw, Enter().has_value(), timestamps});
        end = [view] { std::cout << view->Finish(); };
        return PrintRs232(view, Log());
    }
};

std::shared_ptr<TRs232Options> AddReceiveOptions(CLI::App& sub, bool keys) {
    auto options = std::make_shared<TRs232Options>();
    FileNameOption(
        sub.add_option("--log", options->log, "append the received bytes, as they come, to FILE"))
        ->type_name("FILE");
    CLI::Option* raw = sub.add_flag(
        "--raw", options->raw, "write the received bytes unescaped, zero bytes too (binary data)");
    CLI::Option* stamps = sub.add_flag("--timestamps", options->timestamps,
                                       "put the time at the start of each received line");
    options->mapOption =
        sub.add_option("--map", options->map,
                       keys ? "show a received CR LF as a line feed; Enter sends CR LF, or CR or "
                              "LF when named"
                            : "show a received CR LF as a line feed")
            ->expected(0, 1)
            ->type_name("[crlf|cr|lf]")
            ->check(CLI::IsMember(std::vector<std::string>(std::begin(kEnterMappings),
                                                           std::end(kEnterMappings)))
                        .description(""));
    if (!keys) {
        AddJsonFlag(sub, "one JSON object a line for each read that brought bytes");
        CLI::Option* json = sub.get_option("--json");
        for (CLI::Option* shown : {raw, stamps, options->mapOption})
            json->excludes(shown);
    }
    return options;
}

// The words of a device that is only watched.
struct TWatchTexts {
    const char* device;
    const char* deviceHelp;
    const char* help;
    const char* jsonHelp;
};

// kbr370 <device> watch.
void AddWatch(CLI::App& app, THost& host, const TWatchTexts& texts, const TDevice& device,
              ReadingHandler (*printer)()) {
    CLI::App* parent = app.add_subcommand(texts.device, texts.deviceHelp);
    parent->require_subcommand(1);
    CLI::App* watch = parent->add_subcommand("watch", texts.help);
    auto options = AddStream(*watch);
    AddJsonFlag(*watch, texts.jsonHelp);
    watch->callback([options, &host, &device, printer] {
        TStream stream(device, *options);
        stream.take = printer();
        RunStream(host, stream);
    });
}

} // namespace

void AddMonitorCommands(CLI::App& app, THost& host) {
    auto text = std::make_shared<std::string>(); // owned by the callback, which outlives us

    CLI::App* rs232 = app.add_subcommand("rs232", "the board's serial port");
    rs232->require_subcommand(1);
    CLI::App* send = rs232->add_subcommand("send", "transmit a text and its zero byte");
    send->add_option("text", *text, "the text to transmit")->required();
    send->callback([text, &host] {
        WithBoard(host, [&](TBoardConnection& c) { SendText(c, *text); });
    });

    CLI::App* receive = rs232->add_subcommand("receive", "print what the port receives");
    auto receiveStream = AddStream(*receive);
    auto received = AddReceiveOptions(*receive, false);
    receive->callback([receiveStream, received, &host] {
        TStream stream(kRs232, *receiveStream);
        stream.take = received->Printer(stream.end);
        RunStream(host, stream);
    });

    CLI::App* term = rs232->add_subcommand(
        "term", "a terminal on the port: keys to the port, the port to standard output; from a "
                "terminal each key goes as typed, Ctrl-] q quits");
    auto termStream = AddStream(*term);
    auto shown = AddReceiveOptions(*term, true);
    term->callback([termStream, shown, &host] {
        const bool keys = isatty(STDIN_FILENO) == 1;
        TStream stream(kRs232, *termStream);
        stream.take = shown->Printer(stream.end);
        stream.input = SendKeys(keys, shown->Enter());
        stream.rawKeys = keys;
        if (keys)
            stream.greeting = "connected to the serial port; Ctrl-] q quits, Ctrl-] ? lists "
                              "the keys";
        RunStream(host, stream);
    });

    AddWatch(app, host,
             {"ir", "the infrared receiver",
              "print each scan code, and the remote's key when known",
              "one JSON object a line for each scan code"},
             kIr, PrintIrCodes);
    AddWatch(app, host,
             {"ps2", "the PS/2 mouse", "print each mouse report and the pointer it moves",
              "one JSON object a line for each mouse report"},
             kPs2, PrintMouseReports);
}
