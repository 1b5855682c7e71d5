#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// kbr370 rs232 term: what the keys typed ask for, and how the bytes the
// board's serial port receives are shown. Plain logic, so tests can feed it.

// The escape key, Ctrl-]: followed by q it quits, by itself it sends itself.
inline constexpr char kEscapeKey = 0x1D;

// What the escape key's second key does, shown by Ctrl-] ?.
inline constexpr char kTerminalKeysHelp[] =
    "kbr370: keys after Ctrl-]: q quits, Ctrl-] sends Ctrl-] (0x1D), ? shows this\n";

// The values of --map, each what Enter sends: "crlf", "cr" or "lf".
inline constexpr const char* kEnterMappings[] = {"crlf", "cr", "lf"};
// The bytes a --map value names; "crlf" and no value at all: "\r\n".
std::string EnterBytes(std::string_view mapping);

// What a piece of typed input asks for.
struct TKeyAction {
    std::string send; // one text for the port; empty: nothing to send
    bool quit = false;
    bool help = false;
};

// Keys read from standard input. From a terminal, Enter arrives as CR and the
// escape key is heeded, also when its second key comes in a later read; from
// a pipe, every byte is data and a line ends with LF. With an Enter mapping,
// Enter sends the mapping's bytes instead. Zero bytes are left out: the board
// takes a zero byte as the end of a text, so it cannot carry one.
class TTerminalKeys {
  public:
    TTerminalKeys(bool terminal, std::optional<std::string> enter)
        : terminal(terminal), enter(std::move(enter)) {}
    TKeyAction Take(std::string_view keys);

  private:
    bool terminal;
    std::optional<std::string> enter;
    bool escaped = false;
};

// How received bytes are shown.
struct TViewOptions {
    bool raw = false;        // every byte as it came, zero bytes too; else escaped
    bool mapCrLf = false;    // CR LF shown as one line feed
    bool timestamps = false; // a time at the start of every line
};

// "[HH:MM:SS.mmm] " in local time: what --timestamps puts at a line's start.
std::string LineTimestamp();

// Turns the bytes of successive reads into text for standard output. A CR
// that may start a CR LF waits for the next read; an empty read lets it out.
class TReceivedView {
  public:
    explicit TReceivedView(TViewOptions options, std::function<std::string()> stamp = LineTimestamp)
        : options(options), stamp(std::move(stamp)) {}
    std::string Take(const uint8_t* data, uint32_t count);
    // What is still held back, at the end of the stream.
    std::string Finish();

  private:
    std::string Show(const std::string& bytes);
    TViewOptions options;
    std::function<std::string()> stamp;
    bool heldCr = false;
    bool lineStart = true;
};
