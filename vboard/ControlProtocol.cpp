#include "vboard/ControlProtocol.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <deque>
#include <fmt/format.h>
#include <unistd.h>

#include "platform/TerminalText.h"
#include "vboard/DesignFile.h"
#include "wire/HexDigit.h"
#include "wire/Memories.h"
#include "wire/UsbKinds.h"

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
                      const std::string& word, uint64_t max, T& field, const std::string& why) {
    uint64_t v;
    if (!parse(word, max, v))
        return Error(why);
    field = T(v);
    return kOk;
}

std::string SetFlag(const std::string& word, bool& flag) {
    return ParseFlag(word, flag) ? kOk : Error("expected 0 or 1");
}

const char* const kBadBytes = "bad bytes: give hex digit pairs";

// Appends bytes to a queue of the board, never past `max`; `full` says why not.
std::string Enqueue(const std::vector<uint8_t>& bytes, std::deque<uint8_t>& queue, size_t max,
                    const std::string& full = "queue full") {
    if (queue.size() + bytes.size() > max)
        return Error(full);
    queue.insert(queue.end(), bytes.begin(), bytes.end());
    return kOk;
}

std::string Push(const std::string& text, std::deque<uint8_t>& queue, size_t max) {
    std::vector<uint8_t> bytes;
    return ParseBytes(text, bytes) ? Enqueue(bytes, queue, max) : Error(kBadBytes);
}

} // namespace

namespace {

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
    std::string s;
    for (const auto& p : parts)
        s += (s.empty() ? "" : separator) + p;
    return s;
}

// "6 (SRAM), 5 (EEPROM), ...": the codes `mem` takes.
std::string MemoryCodes() {
    std::vector<std::string> codes;
    for (const auto& m : ::kbr::wire::kMemories)
        codes.push_back(fmt::format("{} ({})", int(m.code), m.name));
    return Joined(codes, ", ");
}

std::string UnknownMemoryCode(const std::string& word) {
    return Error("unknown memory code " + word + "; the codes are " + MemoryCodes());
}

std::string UsbKindChoices() {
    std::vector<std::string> words(std::begin(::kbr::wire::kUsbKindWords),
                                   std::end(::kbr::wire::kUsbKindWords));
    return Joined(words, ", ");
}

} // namespace

// name, second word, arguments and what it does (for help), argument counts, handler.
const TControlProtocol::TCommand TControlProtocol::kCommands[] = {
    {"help", nullptr, "[<command>]", "every command with its arguments, or what one does", 0, 2,
     &TControlProtocol::Help},
    {"status", nullptr, "", "configured=0|1 link=open|closed", 0, 0, &TControlProtocol::Status},
    {"configure", nullptr, "<path>",
     "configure the FPGA from a design file, as the programmer does; the path is the rest of "
     "the line",
     1, 1, nullptr},
    {"blank", nullptr, "",
     "lose the design, as after power-on; an open link is cut, every monitoring mode goes off", 0,
     0, &TControlProtocol::Blank},
    {"get", "leds", "", "the last SetLeds value, hex", 0, 0, &TControlProtocol::GetLeds},
    {"get", "seg7", "", "the 7-segment value and its extra byte, hex", 0, 0,
     &TControlProtocol::GetSeg7},
    {"get", "lcd", "", "the two display lines as hex bytes", 0, 0, &TControlProtocol::GetLcd},
    {"get", "vga", "", "the VGA pattern's index", 0, 0, &TControlProtocol::GetVga},
    {"get", "rs232-tx", "", "the bytes the PC sent to the serial port since the last get rs232-tx",
     0, 0, &TControlProtocol::GetRs232Tx},
    {"get", "modes", "", "the monitoring modes: ir=0|1 rs232=0|1 ps2=0|1", 0, 0,
     &TControlProtocol::GetModes},
    {"get", "inputs", "", "the keys and switches as set inputs set them, hex", 0, 0,
     &TControlProtocol::GetInputs},
    {"get", "link", "", "closed, or open and the pid of the process that opened it (0: unknown)", 0,
     0, &TControlProtocol::GetLink},
    {"get", "daemon", "",
     "this daemon's pid and folder: pid=<pid> dir=<folder>, each byte of the folder that is not "
     "printable ASCII (and \\) as \\xNN",
     0, 0, &TControlProtocol::GetDaemon},
    {"set", "inputs", "<hex>", "keys in bits 0-3, switches in bits 4-21", 1, 1,
     &TControlProtocol::SetInputs},
    {"sd", "insert", "[<csd bytes> <cid bytes> <fs>]",
     "insert the default card, or one with these 16-byte registers and file-system code 0-255", 0,
     3, &TControlProtocol::SdInsert},
    {"sd", "remove", "", "take the card out", 0, 0, &TControlProtocol::SdRemove},
    {"ir", "push", "<bytes>", "queue scan codes for the IR receiver", 1, 1,
     &TControlProtocol::IrPush},
    {"ir", "present", "0|1", "whether the IR receiver is there", 1, 1,
     &TControlProtocol::IrPresent},
    {"ps2", "push", "<bytes>", "queue mouse reports, 4 bytes each", 1, 1,
     &TControlProtocol::Ps2Push},
    {"ps2", "present", "0|1", "whether the mouse is plugged in", 1, 1,
     &TControlProtocol::Ps2Present},
    {"rs232", "push", "<bytes>", "bytes arriving at the serial port", 1, 1,
     &TControlProtocol::Rs232Push},
    {"rs232", "loopback", "0|1", "a loopback plug: what the PC sends comes back", 1, 1,
     &TControlProtocol::Rs232Loopback},
    {"usb", nullptr, "<n>|<name>", "the USB device's kind, 0-255, or its name: " + UsbKindChoices(),
     1, 1, &TControlProtocol::Usb},
    {"hsmc", "adapter", "0|1", "whether the loopback adapter is plugged in", 1, 1,
     &TControlProtocol::HsmcAdapter},
    {"hsmc", "fail", "<hex40> <hex8>", "the pins and transceivers the loopback test finds failing",
     2, 2, &TControlProtocol::HsmcFail},
    {"mem", "read", "<code> <hex-address> <count>",
     "at most 65536 bytes of memory " + MemoryCodes(), 3, 3, &TControlProtocol::MemRead},
    {"mem", "write", "<code> <hex-address> <bytes>", "store bytes, bypassing the flash rules", 3, 3,
     &TControlProtocol::MemWrite},
    {"erase", "steps", "<n>", "the step count the flash erase reports", 1, 1,
     &TControlProtocol::EraseSteps},
    {"erase", "step-ms", "<n>", "how long one erase step takes, in ms", 1, 1,
     &TControlProtocol::EraseStepMs},
    {"fault", nullptr, "<kind> [<count>]|clear",
     "spoil the next count (default 1) replies on the link: " + TFaultQueue::KindNames() +
         "; clear cancels them",
     1, 2, &TControlProtocol::Fault},
    {"defect", "mem-stuck", "<code> <hex-byte-address> <bit> 0|1",
     "that bit of that byte reads 0 (or 1) whatever is written", 4, 4,
     &TControlProtocol::DefectMemStuck},
    {"defect", "mem-alias", "<code> <address-bit>",
     "that address line is stuck low: an address with the bit set reaches the cell without it", 2,
     2, &TControlProtocol::DefectMemAlias},
    {"defect", "flash-sector", "<n>", "StartErase(n) answers done but leaves sector n as it was", 1,
     1, &TControlProtocol::DefectFlashSector},
    {"defect", "clear", "", "the board is whole again", 0, 0, &TControlProtocol::DefectClear},
    {"link", "rate", "<bytes-per-second>|off", "pace the link like a real JTAG UART", 1, 1,
     &TControlProtocol::LinkRate},
    {"log", "requests", "", "the command ids of the requests since the last log requests", 0, 0,
     &TControlProtocol::LogRequests},
    {"reset", nullptr, "", "power cycle: everything as after power-on, blank FPGA (defects stay)", 0, 0,
     &TControlProtocol::Reset},
};

std::string TControlProtocol::TCommand::Usage() const {
    std::string usage = name;
    if (sub)
        usage += std::string(" ") + sub;
    if (!args.empty())
        usage += " " + args;
    return usage;
}

TControlProtocol::TControlProtocol(TBoardModel& model, TFaultQueue& faults, THost& host)
    : model(model), faults(faults), host(host) {}

TControlProtocol::TResult TControlProtocol::Execute(const std::string& rawLine) {
    std::string line = rawLine;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    Words words = SplitWords(line);
    if (words.empty())
        return Immediate(Error("empty command"));
    for (const auto& c : kCommands) {
        if (words[0] != c.name || (c.sub && (words.size() < 2 || words[1] != c.sub)))
            continue;
        // The path is the rest of the line, so it may hold blanks.
        if (!c.handler) {
            size_t start = line.find(c.name) + std::strlen(c.name) + 1;
            return Configure(start < line.size() ? line.substr(start) : std::string());
        }
        Words args(words.begin() + (c.sub ? 2 : 1), words.end());
        if (args.size() < c.minArgs || args.size() > c.maxArgs)
            return Immediate(Error("wrong number of arguments: " + c.Usage()));
        return Immediate((this->*c.handler)(args));
    }
    return Immediate(UnknownCommand(words));
}

// Names the second words a known first word takes, so `get` alone lists them.
std::string TControlProtocol::UnknownCommand(const Words& words) const {
    bool known = false;
    std::vector<std::string> subs;
    for (const auto& c : kCommands) {
        known = known || words[0] == c.name;
        if (words[0] == c.name && c.sub)
            subs.push_back(c.sub);
    }
    if (!known)
        return Error("unknown command " + words[0] + " (help lists them)");
    if (subs.empty()) // only `help` gets here, with a second word
        return Error(words[0] + " has no " + words[1] + " (help " + words[0] + ")");
    return Error((words.size() > 1 ? "unknown " + words[0] + " command " + words[1] + "; "
                                   : words[0] + " what? ") +
                 words[0] + " takes " + Joined(subs, ", "));
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

// Every command's usage on one line; or what the named one (or each row of a
// first word, as `help get`) does.
std::string TControlProtocol::Help(const Words& a) {
    std::vector<std::string> lines;
    for (const auto& c : kCommands) {
        if (a.empty())
            lines.push_back(c.Usage());
        else if (a[0] == c.name && (a.size() == 1 || (c.sub && a[1] == c.sub)))
            lines.push_back(c.Usage() + ": " + c.what);
    }
    if (lines.empty())
        return UnknownCommand(a);
    return "ok " + Joined(lines, "; ");
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

std::string TControlProtocol::GetInputs(const Words&) {
    return fmt::format("ok 0x{:06X}", model.inputs);
}

std::string TControlProtocol::GetLink(const Words&) {
    return host.LinkOpen() ? fmt::format("ok open {}", host.LinkHolder()) : "ok closed";
}

// What `list` shows of a board comes from the board itself, never from a
// listing other users can write into.
std::string TControlProtocol::GetDaemon(const Words&) {
    return fmt::format("ok pid={} dir={}", getpid(), platform::TerminalSafe(host.Folder()));
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

std::string TControlProtocol::IrPresent(const Words& a) {
    return SetFlag(a[0], model.irPresent);
}

// A report that cannot arrive is refused with the reason, so a test that
// pushes one learns at once why its mouse never moves.
std::string TControlProtocol::Ps2Push(const Words& a) {
    constexpr size_t kReport = 4;
    std::vector<uint8_t> bytes;
    if (!ParseBytes(a[0], bytes))
        return Error(kBadBytes);
    if (bytes.size() % kReport != 0)
        return Error(fmt::format("a report is {} bytes; {} bytes leave {} over, nothing queued",
                                 kReport, bytes.size(), bytes.size() % kReport));
    if (!model.ps2Present)
        return Error("no mouse is plugged in (ps2 present 0), nothing queued");
    return Enqueue(bytes, model.ps2Queue, TBoardModel::kPs2QueueMax,
                   fmt::format("queue full: {} reports wait to be read{}, nothing queued",
                               model.ps2Queue.size() / kReport,
                               model.ps2Mode ? "" : " (monitoring mode is off)"));
}

std::string TControlProtocol::Ps2Present(const Words& a) {
    return SetFlag(a[0], model.ps2Present);
}

std::string TControlProtocol::Rs232Push(const Words& a) {
    return Push(a[0], model.rs232Rx, TBoardModel::kRs232QueueMax);
}

std::string TControlProtocol::Rs232Loopback(const Words& a) {
    return SetFlag(a[0], model.rs232Loopback);
}

std::string TControlProtocol::Usb(const Words& a) {
    if (int kind = ::kbr::wire::UsbKindOfWord(a[0]); kind >= 0) {
        model.usbKind = uint8_t(kind);
        return kOk;
    }
    return SetNumber(ParseDec, a[0], 255, model.usbKind,
                     "device kind must be 0-255 or one of " + UsbKindChoices());
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
        return UnknownMemoryCode(a[0]);
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
        return UnknownMemoryCode(a[0]);
    if (!ParseHex(a[1], UINT32_MAX, address))
        return Error("bad address");
    if (!ParseBytes(a[2], data))
        return Error(kBadBytes);
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

// Defects are the hardware's: they go over the link, and survive reset.
std::string TControlProtocol::DefectMemStuck(const Words& a) {
    uint64_t code, address, bit, value;
    if (!ParseDec(a[0], 255, code) || !TBoardModel::IsMemoryCode(uint8_t(code)))
        return UnknownMemoryCode(a[0]);
    if (!ParseHex(a[1], UINT32_MAX, address))
        return Error("bad address");
    if (!ParseDec(a[2], 7, bit))
        return Error("bit must be 0-7");
    if (!ParseDec(a[3], 1, value))
        return Error("value must be 0 or 1");
    if (!model.AddStuckBit(uint8_t(code), uint32_t(address), int(bit), value != 0))
        return Error("address past the end of the memory");
    return kOk;
}

std::string TControlProtocol::DefectMemAlias(const Words& a) {
    uint64_t code, bit;
    if (!ParseDec(a[0], 255, code) || !TBoardModel::IsMemoryCode(uint8_t(code)))
        return UnknownMemoryCode(a[0]);
    if (!ParseDec(a[1], 31, bit) || !model.AddAliasedAddressBit(uint8_t(code), int(bit)))
        return Error("no such address line on that memory");
    return kOk;
}

std::string TControlProtocol::DefectFlashSector(const Words& a) {
    uint64_t sector;
    if (!ParseDec(a[0], UINT32_MAX, sector))
        return Error("sector must be 0-4294967295");
    model.AddStuckFlashSector(uint32_t(sector));
    return kOk;
}

std::string TControlProtocol::DefectClear(const Words&) {
    model.ClearDefects();
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
