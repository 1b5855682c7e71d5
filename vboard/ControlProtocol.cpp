#include "vboard/ControlProtocol.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <deque>
#include <fmt/format.h>

#include "vboard/DesignFile.h"
#include "wire/HexDigit.h"

namespace vboard {

namespace {

bool ParseUnsigned(std::string_view s, uint64_t max, uint64_t& out, int base) {
    if (s.empty())
        return false;
    uint64_t v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (ec != std::errc() || p != s.data() + s.size() || v > max)
        return false;
    out = v;
    return true;
}

bool ParseDec(const std::string& s, uint64_t max, uint64_t& out) {
    return ParseUnsigned(s, max, out, 10);
}

// Hexadecimal numbers are written with 0x; a bare run of hex digits is taken too.
bool ParseHex(const std::string& s, uint64_t max, uint64_t& out) {
    std::string_view v = s;
    if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X'))
        v.remove_prefix(2);
    return ParseUnsigned(v, max, out, 16);
}

bool ParseFlag(const std::string& s, bool& out) {
    if (s != "0" && s != "1")
        return false;
    out = s == "1";
    return true;
}

bool ParseBytes(const std::string& s, std::vector<uint8_t>& out) {
    if (s.size() % 2 != 0)
        return false;
    out.resize(s.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        int hi = ::kbr::wire::HexDigitValue(s[2 * i]), lo = ::kbr::wire::HexDigitValue(s[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out[i] = uint8_t(hi << 4 | lo);
    }
    return true;
}

template <class It> std::string HexBytes(It begin, It end) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(size_t(std::distance(begin, end)) * 2);
    for (It it = begin; it != end; ++it) {
        uint8_t b = uint8_t(*it);
        s.push_back(digits[b >> 4]);
        s.push_back(digits[b & 15]);
    }
    return s;
}

std::string HexBytes(const std::string& s) {
    return HexBytes(s.begin(), s.end());
}

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

std::string Error(const std::string& reason) {
    return "error " + reason;
}

TControlProtocol::TResult Immediate(std::string reply) {
    TControlProtocol::TResult r;
    r.reply = std::move(reply);
    return r;
}
const std::string kOk = "ok";

// Stores a number of at most `max` in `field`, or says why not.
template <typename T>
std::string SetNumber(bool (*parse)(const std::string&, uint64_t, uint64_t&),
                      const std::string& word, uint64_t max, T& field, const char* why) {
    uint64_t v;
    if (!parse(word, max, v))
        return Error(why);
    field = T(v);
    return kOk;
}

std::string SetFlag(const std::string& word, bool& flag) {
    return ParseFlag(word, flag) ? kOk : Error("expected 0 or 1");
}

// Appends hex bytes to a queue of the board, whole groups only, never past `max`.
std::string Push(const std::string& text, std::deque<uint8_t>& queue, size_t max,
                 const char* badBytes = "bad bytes", size_t group = 1) {
    std::vector<uint8_t> bytes;
    if (!ParseBytes(text, bytes) || bytes.size() % group != 0)
        return Error(badBytes);
    if (queue.size() + bytes.size() > max)
        return Error("queue full");
    queue.insert(queue.end(), bytes.begin(), bytes.end());
    return kOk;
}

} // namespace

// name, second word, argument counts, handler.
const TControlProtocol::TCommand TControlProtocol::kCommands[] = {
    {"help", nullptr, 0, 0, &TControlProtocol::Help},
    {"status", nullptr, 0, 0, &TControlProtocol::Status},
    {"blank", nullptr, 0, 0, &TControlProtocol::Blank},
    {"get", "leds", 0, 0, &TControlProtocol::GetLeds},
    {"get", "seg7", 0, 0, &TControlProtocol::GetSeg7},
    {"get", "lcd", 0, 0, &TControlProtocol::GetLcd},
    {"get", "vga", 0, 0, &TControlProtocol::GetVga},
    {"get", "rs232-tx", 0, 0, &TControlProtocol::GetRs232Tx},
    {"get", "modes", 0, 0, &TControlProtocol::GetModes},
    {"set", "inputs", 1, 1, &TControlProtocol::SetInputs},
    {"sd", "insert", 0, 3, &TControlProtocol::SdInsert},
    {"sd", "remove", 0, 0, &TControlProtocol::SdRemove},
    {"ir", "push", 1, 1, &TControlProtocol::IrPush},
    {"ir", "present", 1, 1, &TControlProtocol::IrPresent},
    {"ps2", "push", 1, 1, &TControlProtocol::Ps2Push},
    {"ps2", "present", 1, 1, &TControlProtocol::Ps2Present},
    {"rs232", "push", 1, 1, &TControlProtocol::Rs232Push},
    {"rs232", "loopback", 1, 1, &TControlProtocol::Rs232Loopback},
    {"usb", nullptr, 1, 1, &TControlProtocol::Usb},
    {"hsmc", "adapter", 1, 1, &TControlProtocol::HsmcAdapter},
    {"hsmc", "fail", 2, 2, &TControlProtocol::HsmcFail},
    {"mem", "read", 3, 3, &TControlProtocol::MemRead},
    {"mem", "write", 3, 3, &TControlProtocol::MemWrite},
    {"erase", "steps", 1, 1, &TControlProtocol::EraseSteps},
    {"erase", "step-ms", 1, 1, &TControlProtocol::EraseStepMs},
    {"fault", nullptr, 1, 2, &TControlProtocol::Fault},
    {"link", "rate", 1, 1, &TControlProtocol::LinkRate},
    {"log", "requests", 0, 0, &TControlProtocol::LogRequests},
    {"reset", nullptr, 0, 0, &TControlProtocol::Reset},
};

TControlProtocol::TControlProtocol(TBoardModel& model, TFaultQueue& faults, THost& host)
    : model(model), faults(faults), host(host) {}

TControlProtocol::TResult TControlProtocol::Execute(const std::string& rawLine) {
    std::string line = rawLine;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    // The path is the rest of the line, so it may hold blanks.
    if (line.rfind("configure", 0) == 0 && (line.size() == 9 || line[9] == ' '))
        return Configure(line.size() > 10 ? line.substr(10) : std::string());

    Words words = SplitWords(line);
    if (words.empty())
        return Immediate(Error("empty command"));
    bool nameKnown = false;
    for (const auto& c : kCommands) {
        if (words[0] != c.name)
            continue;
        nameKnown = true;
        size_t skip = 1;
        if (c.sub) {
            if (words.size() < 2 || words[1] != c.sub)
                continue;
            skip = 2;
        }
        Words args(words.begin() + long(skip), words.end());
        if (args.size() < c.minArgs || args.size() > c.maxArgs)
            return Immediate(
                Error("wrong number of arguments for " + words[0] + (c.sub ? " " + words[1] : "")));
        return Immediate((this->*c.handler)(args));
    }
    if (nameKnown)
        return Immediate(
            Error("unknown " + words[0] + " command" + (words.size() > 1 ? " " + words[1] : "")));
    return Immediate(Error("unknown command " + words[0]));
}

TControlProtocol::TResult TControlProtocol::Configure(const std::string& path) {
    std::string why = TDesignFile::ValidateFile(path);
    if (!why.empty())
        return Immediate(Error(why));
    uint64_t generation = host.PowerGeneration();
    TResult r;
    r.delayMs = configureMs;
    r.deferred = [this, generation]() -> std::string {
        if (host.PowerGeneration() != generation)
            return Error("board was reset while configuring");
        host.Configure();
        return kOk;
    };
    return r;
}

// The command names, each once, in the table's order; configure is parsed apart.
std::string TControlProtocol::Help(const Words&) {
    std::string reply = kOk;
    auto add = [&reply](const std::string& name) {
        if ((reply + " ").find(" " + name + " ") == std::string::npos)
            reply += " " + name;
    };
    for (const auto& c : kCommands) {
        add(c.name);
        if (std::string(c.name) == "status")
            add("configure");
    }
    return reply;
}

std::string TControlProtocol::Status(const Words&) {
    return fmt::format("ok configured={} link={}", host.Configured() ? 1 : 0,
                       host.LinkOpen() ? "open" : "closed");
}

std::string TControlProtocol::Blank(const Words&) {
    host.Blank();
    return kOk;
}

std::string TControlProtocol::GetLeds(const Words&) {
    return fmt::format("ok 0x{:08X}", model.leds);
}

std::string TControlProtocol::GetSeg7(const Words&) {
    return fmt::format("ok 0x{:08X} 0x{:02X}", model.seg7Value, model.seg7Extra);
}

std::string TControlProtocol::GetLcd(const Words&) {
    return "ok " + HexBytes(model.lcdLine[0]) + " " + HexBytes(model.lcdLine[1]);
}

std::string TControlProtocol::GetVga(const Words&) {
    return fmt::format("ok {}", model.vgaPattern);
}

std::string TControlProtocol::GetRs232Tx(const Words&) {
    std::string sent = HexBytes(model.rs232Tx);
    model.rs232Tx.clear();
    return sent.empty() ? kOk : "ok " + sent;
}

std::string TControlProtocol::GetModes(const Words&) {
    return fmt::format("ok ir={} rs232={} ps2={}", int(model.irMode), int(model.rs232Mode),
                       int(model.ps2Mode));
}

std::string TControlProtocol::SetInputs(const Words& a) {
    return SetNumber(ParseHex, a[0], 0x3FFFFF, model.inputs,
                     "inputs must be a hex value up to 0x3FFFFF");
}

std::string TControlProtocol::SdInsert(const Words& a) {
    if (a.empty()) {
        model.sd = TBoardModel::DefaultCard();
        return kOk;
    }
    if (a.size() != 3)
        return Error("usage: sd insert [<csd bytes> <cid bytes> <fs>]");
    std::vector<uint8_t> csd, cid;
    uint64_t fs;
    if (!ParseBytes(a[0], csd) || csd.size() != 16)
        return Error("csd must be 16 bytes");
    if (!ParseBytes(a[1], cid) || cid.size() != 16)
        return Error("cid must be 16 bytes");
    if (!ParseDec(a[2], 255, fs))
        return Error("file-system code must be 0-255");
    model.sd.inserted = true;
    std::copy(csd.begin(), csd.end(), model.sd.csd.begin());
    std::copy(cid.begin(), cid.end(), model.sd.cid.begin());
    model.sd.fileSystem = uint8_t(fs);
    return kOk;
}

std::string TControlProtocol::SdRemove(const Words&) {
    model.sd.inserted = false;
    return kOk;
}

std::string TControlProtocol::IrPush(const Words& a) {
    return Push(a[0], model.irQueue, TBoardModel::kIrQueueMax);
}

std::string TControlProtocol::IrPresent(const Words& a) { return SetFlag(a[0], model.irPresent); }

std::string TControlProtocol::Ps2Push(const Words& a) {
    return Push(a[0], model.ps2Queue, TBoardModel::kPs2QueueMax,
                "reports must be whole 4-byte groups", 4);
}

std::string TControlProtocol::Ps2Present(const Words& a) { return SetFlag(a[0], model.ps2Present); }

std::string TControlProtocol::Rs232Push(const Words& a) {
    return Push(a[0], model.rs232Rx, TBoardModel::kRs232QueueMax);
}

std::string TControlProtocol::Rs232Loopback(const Words& a) {
    return SetFlag(a[0], model.rs232Loopback);
}

std::string TControlProtocol::Usb(const Words& a) {
    return SetNumber(ParseDec, a[0], 255, model.usbKind, "device kind must be 0-255");
}

std::string TControlProtocol::HsmcAdapter(const Words& a) {
    return SetFlag(a[0], model.hsmcAdapter);
}

std::string TControlProtocol::HsmcFail(const Words& a) {
    uint64_t m40, m8;
    if (!ParseHex(a[0], 0xFFFFFFFFFFull, m40))
        return Error("pin mask must be a hex value of 40 bits");
    if (!ParseHex(a[1], 0xFF, m8))
        return Error("transceiver mask must be a hex value of 8 bits");
    model.hsmcFail40 = m40;
    model.hsmcFail8 = uint8_t(m8);
    return kOk;
}

std::string TControlProtocol::MemRead(const Words& a) {
    uint64_t code, address, count;
    if (!ParseDec(a[0], 255, code) || !TBoardModel::IsMemoryCode(uint8_t(code)))
        return Error("unknown memory code");
    if (!ParseHex(a[1], UINT32_MAX, address))
        return Error("bad address");
    if (!ParseDec(a[2], kMaxMemRead, count))
        return Error("count must be 0-65536");
    TSparseMemory* m = model.Memory(uint8_t(code));
    if (!m->Contains(address, count))
        return Error("range past the end of the memory");
    std::vector<uint8_t> data(count);
    m->Read(address, data.data(), data.size());
    return count == 0 ? kOk : "ok " + HexBytes(data.begin(), data.end());
}

std::string TControlProtocol::MemWrite(const Words& a) {
    uint64_t code, address;
    std::vector<uint8_t> data;
    if (!ParseDec(a[0], 255, code) || !TBoardModel::IsMemoryCode(uint8_t(code)))
        return Error("unknown memory code");
    if (!ParseHex(a[1], UINT32_MAX, address))
        return Error("bad address");
    if (!ParseBytes(a[2], data))
        return Error("bad bytes");
    TSparseMemory* m = model.Memory(uint8_t(code));
    if (!m->Contains(address, data.size()))
        return Error("range past the end of the memory");
    m->Write(address, data.data(), data.size());
    return kOk;
}

std::string TControlProtocol::EraseSteps(const Words& a) {
    return SetNumber(ParseDec, a[0], TBoardModel::kMaxEraseSteps, model.eraseSteps,
                     "steps must be 0-4294967295");
}

std::string TControlProtocol::EraseStepMs(const Words& a) {
    return SetNumber(ParseDec, a[0], 600000, model.eraseStepMs, "step time must be 0-600000 ms");
}

std::string TControlProtocol::Fault(const Words& a) {
    if (a[0] == "clear") {
        if (a.size() != 1)
            return Error("usage: fault clear");
        faults.Clear();
        return kOk;
    }
    auto fault = TFaultQueue::Parse(a[0]);
    if (!fault)
        return Error("unknown fault " + a[0]);
    uint64_t count = 1;
    if (a.size() == 2 && !ParseDec(a[1], 1000000, count))
        return Error("count must be 1-1000000");
    if (count == 0)
        return Error("count must be 1-1000000");
    faults.Arm(*fault, uint32_t(count));
    return kOk;
}

std::string TControlProtocol::LinkRate(const Words& a) {
    if (a[0] == "off") {
        host.SetLinkRate(0);
        return kOk;
    }
    uint64_t v;
    if (!ParseDec(a[0], 1000000000, v) || v == 0)
        return Error("rate must be 1-1000000000 bytes per second or off");
    host.SetLinkRate(uint32_t(v));
    return kOk;
}

std::string TControlProtocol::LogRequests(const Words&) {
    std::vector<uint8_t> ids = model.TakeRequestLog();
    std::string s = kOk;
    for (uint8_t id : ids)
        s += fmt::format(" {:02X}", id);
    return s;
}

std::string TControlProtocol::Reset(const Words&) {
    host.PowerCycle();
    return kOk;
}

} // namespace vboard
