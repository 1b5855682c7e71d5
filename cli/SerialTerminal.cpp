#include "cli/SerialTerminal.h"

#include <chrono>
#include <ctime>

#include <fmt/format.h>

#include "core/devices/Rs232Text.h"

std::string EnterBytes(std::string_view mapping) {
    if (mapping == "cr")
        return "\r";
    if (mapping == "lf")
        return "\n";
    return "\r\n";
}

TKeyAction TTerminalKeys::Take(std::string_view keys) {
    TKeyAction action;
    const char enterKey = terminal ? '\r' : '\n';
    for (const char key : keys) {
        if (escaped) {
            escaped = false;
            if (key == kEscapeKey)
                action.send += key;
            else if (key == 'q' || key == 'Q') {
                action.quit = true;
                return action; // what follows the quit key is not sent
            } else
                action.help = true;
        } else if (terminal && key == kEscapeKey)
            escaped = true;
        else if (key == '\0')
            continue;
        else if (enter && key == enterKey)
            action.send += *enter;
        else
            action.send += key;
    }
    return action;
}

std::string LineTimestamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    return fmt::format("[{:02}:{:02}:{:02}.{:03}] ", local.tm_hour, local.tm_min, local.tm_sec, ms);
}

std::string TReceivedView::Take(const uint8_t* data, uint32_t count) {
    std::string bytes = options.raw ? std::string(reinterpret_cast<const char*>(data), count)
                                    : Rs232StreamText(data, count);
    if (!options.mapCrLf)
        return Show(bytes);
    std::string mapped;
    if (count == 0 && heldCr) {
        heldCr = false;
        mapped += '\r';
    }
    for (const char b : bytes) {
        if (heldCr) {
            heldCr = false;
            if (b == '\n') {
                mapped += '\n';
                continue;
            }
            mapped += '\r';
        }
        if (b == '\r')
            heldCr = true;
        else
            mapped += b;
    }
    return Show(mapped);
}

std::string TReceivedView::Finish() {
    if (!heldCr)
        return {};
    heldCr = false;
    return Show("\r");
}

std::string TReceivedView::Show(const std::string& bytes) {
    const std::string text = options.raw ? bytes : EscapeForTerminal(bytes);
    if (!options.timestamps)
        return text;
    std::string out;
    for (const char c : text) {
        if (lineStart)
            out += stamp();
        lineStart = c == '\n';
        out += c;
    }
    return out;
}
