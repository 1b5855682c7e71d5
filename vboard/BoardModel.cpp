#include "vboard/BoardModel.h"

#include <algorithm>
#include <cstring>

#include "wire/Commands.h"
#include "wire/FrameCodec.h"

namespace vboard {

namespace wire = ::kbr::wire;

using wire::GetU32;
using wire::PutU32;
using wire::Command;

namespace {

constexpr uint8_t kOk = 0x00;
constexpr uint8_t kRefused = 0x01;
constexpr const auto& kBoardName = ::kbr::wire::kBoardName;

// A 7579 MB SDHC card (C_SIZE 15159) and a made-up identity; byte 15 is CRC7.
constexpr std::array<uint8_t, 16> kDefaultCsd = {0x40, 0x0E, 0x00, 0x32, 0x5B, 0x59, 0x00, 0x00,
                                                 0x3B, 0x37, 0x7F, 0x80, 0x0A, 0x40, 0x00, 0x00};
constexpr std::array<uint8_t, 16> kDefaultCid = {0x1D, 'S',  'D',  'V',  'B',  '8',  'G',  'B',
                                                 0x10, 0x4B, 0x52, 0x37, 0x30, 0x01, 0x63, 0x00};
constexpr uint8_t kDefaultFileSystem = 2; // FAT32

uint8_t Crc7(const uint8_t* data, size_t count) {
    uint8_t crc = 0;
    for (size_t i = 0; i < count; ++i) {
        uint8_t byte = data[i];
        for (int bit = 7; bit >= 0; --bit) {
            bool in = ((byte >> bit) & 1) ^ ((crc >> 6) & 1);
            crc = uint8_t((crc << 1) & 0x7F);
            if (in)
                crc ^= 0x09;
        }
    }
    return uint8_t(crc << 1 | 1);
}

TBoardModel::TReply Sized(uint32_t replyLength, uint8_t status) {
    TBoardModel::TReply r;
    r.payload.assign(replyLength, 0);
    r.payload[0] = status;
    return r;
}

// The reply of `command` with `status`; `extra` bytes of data where its reply
// is variable.
TBoardModel::TReply Status(Command command, uint8_t status, uint32_t extra = 0) {
    return Sized(wire::ReplyLength(command) + extra, status);
}

} // namespace

// The handler of every command the design answers; the lengths are the wire's.
const TBoardModel::TCommand TBoardModel::kCommands[] = {
    {wire::CmdQueryBoardName, &TBoardModel::BoardName},
    {wire::CmdKeepAlive, &TBoardModel::KeepAlive},
    {wire::CmdSetLeds, &TBoardModel::SetLeds},
    {wire::CmdReadSwitchesAndKeys, &TBoardModel::ReadSwitchesAndKeys},
    {wire::CmdSetSeg7, &TBoardModel::SetSeg7},
    {wire::CmdReadSdCardInfo, &TBoardModel::ReadSdCardInfo},
    {wire::CmdQueryEraseStatus, &TBoardModel::QueryEraseStatus},
    {wire::CmdStartErase, &TBoardModel::StartErase},
    {wire::CmdWriteMemory, &TBoardModel::WriteMemory},
    {wire::CmdReadMemory, &TBoardModel::ReadMemory},
    {wire::CmdRunLoopbackTest, &TBoardModel::RunLoopbackTest},
    {wire::CmdSendDeviceData, &TBoardModel::SendDeviceData},
    {wire::CmdReadDeviceData, &TBoardModel::ReadDeviceData},
    {wire::CmdSetDeviceMode, &TBoardModel::SetDeviceMode},
};

TBoardModel::TBoardModel() {
    memories.reserve(std::size(::kbr::wire::kMemories));
    for (const auto& m : ::kbr::wire::kMemories)
        memories.emplace_back(m.size, m.erased);
}

TBoardModel::TSdCard TBoardModel::DefaultCard() {
    TSdCard card;
    card.inserted = true;
    card.csd = kDefaultCsd;
    card.cid = kDefaultCid;
    card.csd[15] = Crc7(card.csd.data(), 15);
    card.cid[15] = Crc7(card.cid.data(), 15);
    card.fileSystem = kDefaultFileSystem;
    return card;
}

void TBoardModel::ResetDesign() {
    leds = 0;
    seg7Value = 0;
    seg7Extra = 0;
    lcdLine[0].clear();
    lcdLine[1].clear();
    lcdText.clear();
    vgaPattern = 0;
    irMode = rs232Mode = ps2Mode = false;
    irQueue.clear();
    rs232Rx.clear();
    ps2Queue.clear();
    rs232Tx.clear();
}

void TBoardModel::Reset() {
    ResetDesign();
    inputs = 0;
    irPresent = ps2Present = true;
    rs232Loopback = false;
    usbKind = 0;
    hsmcAdapter = true;
    hsmcFail40 = 0;
    hsmcFail8 = 0;
    sd = DefaultCard();
    eraseSteps = 64;
    eraseStepMs = 100;
    for (TSparseMemory& m : memories)
        m.Clear();
    requestLog.clear();
}

bool TBoardModel::IsMemoryCode(uint8_t code) {
    return ::kbr::wire::FindMemory(code) != nullptr;
}

TSparseMemory* TBoardModel::Memory(uint8_t code) {
    const ::kbr::wire::TMemory* m = ::kbr::wire::FindMemory(code);
    return m ? &memories[static_cast<size_t>(m - ::kbr::wire::kMemories)] : nullptr;
}

bool TBoardModel::AddStuckBit(uint8_t code, uint32_t byteAddress, int bit, bool value) {
    TSparseMemory* m = Memory(code);
    if (!m || !m->Contains(byteAddress, 1) || bit < 0 || bit > 7)
        return false;
    m->AddStuckBit(byteAddress, bit, value);
    return true;
}

bool TBoardModel::AddAliasedAddressBit(uint8_t code, int addressBit) {
    TSparseMemory* m = Memory(code);
    // Only the lines the memory has: bit 0 up to the one below its size.
    if (!m || addressBit < 0 || addressBit > 62 || (uint64_t{1} << addressBit) >= m->Size())
        return false;
    m->AddAliasedAddressBit(addressBit);
    return true;
}

void TBoardModel::ClearDefects() {
    for (TSparseMemory& m : memories)
        m.ClearDefects();
    stuckFlashSectors.clear();
}

std::vector<uint8_t> TBoardModel::TakeRequestLog() {
    std::vector<uint8_t> out(requestLog.begin(), requestLog.end());
    requestLog.clear();
    return out;
}

bool TBoardModel::PushRs232Rx(const uint8_t* data, size_t count) {
    if (rs232Rx.size() + count > kRs232QueueMax)
        return false;
    rs232Rx.insert(rs232Rx.end(), data, data + count);
    return true;
}

TBoardModel::Handler TBoardModel::Find(uint8_t id) {
    for (const auto& c : kCommands)
        if (c.id == id)
            return c.handler;
    return nullptr;
}

TBoardModel::TReply TBoardModel::Handle(uint8_t command, const uint8_t* payload, size_t length) {
    if (requestLog.size() >= kRequestLogMax)
        requestLog.pop_front();
    requestLog.push_back(command);
    const wire::TCommandInfo* shape = wire::FindCommand(command);
    const Handler handler = Find(command);
    if (!shape || !handler)
        return Sized(wire::kStatusOnly, kRefused);
    // A malformed request gets the reply's fixed part, refused.
    if (!wire::RequestFits(*shape, uint32_t(length)))
        return Sized(shape->reply, kRefused);
    return (this->*handler)(payload, length);
}

TBoardModel::TReply TBoardModel::BoardName(const uint8_t*, size_t) {
    TReply r = Status(wire::CmdQueryBoardName, kOk);
    std::memcpy(r.payload.data() + 1, kBoardName, sizeof kBoardName - 1);
    return r;
}

TBoardModel::TReply TBoardModel::KeepAlive(const uint8_t*, size_t) {
    return Status(wire::CmdKeepAlive, kOk);
}

TBoardModel::TReply TBoardModel::SetLeds(const uint8_t* p, size_t) {
    leds = GetU32(p);
    return Status(wire::CmdSetLeds, kOk);
}

TBoardModel::TReply TBoardModel::ReadSwitchesAndKeys(const uint8_t*, size_t) {
    TReply r = Status(wire::CmdReadSwitchesAndKeys, kOk);
    PutU32(r.payload.data() + 1, inputs & 0xF);
    PutU32(r.payload.data() + 9, (inputs >> 4) & 0x3FFFF);
    return r;
}

TBoardModel::TReply TBoardModel::SetSeg7(const uint8_t* p, size_t) {
    seg7Value = GetU32(p);
    seg7Extra = p[4];
    return Status(wire::CmdSetSeg7, kOk);
}

TBoardModel::TReply TBoardModel::ReadSdCardInfo(const uint8_t*, size_t) {
    if (!sd.inserted)
        return Status(wire::CmdReadSdCardInfo, kRefused);
    TReply r = Status(wire::CmdReadSdCardInfo, kOk);
    std::copy(sd.csd.begin(), sd.csd.end(), r.payload.begin() + 1);
    std::copy(sd.cid.begin(), sd.cid.end(), r.payload.begin() + 18);
    r.payload[35] = sd.fileSystem;
    return r;
}

TBoardModel::TReply TBoardModel::QueryEraseStatus(const uint8_t*, size_t) {
    TReply r = Status(wire::CmdQueryEraseStatus, kOk);
    PutU32(r.payload.data() + 1, eraseSteps);
    return r;
}

TBoardModel::TReply TBoardModel::StartErase(const uint8_t* p, size_t) {
    uint32_t index = GetU32(p);
    if (index >= eraseSteps)
        return Status(wire::CmdStartErase, kRefused);
    uint64_t begin = uint64_t(kFlashSize) * index / eraseSteps;
    uint64_t end = uint64_t(kFlashSize) * (index + 1) / eraseSteps;
    if (!stuckFlashSectors.count(index))
        Memory(::kbr::wire::kMemoryFlash)->Erase(begin, end - begin);
    TReply r = Status(wire::CmdStartErase, kOk);
    r.delayMs = eraseStepMs;
    return r;
}

TBoardModel::TReply TBoardModel::WriteMemory(const uint8_t* p, size_t length) {
    uint8_t code = p[0];
    uint32_t address = GetU32(p + 1);
    // The data follows the code and the address.
    const uint8_t* data = p + wire::RequestLength(wire::CmdWriteMemory);
    size_t count = length - wire::RequestLength(wire::CmdWriteMemory);
    TSparseMemory* m = Memory(code);
    if (!m || !m->Contains(address, count))
        return Status(wire::CmdWriteMemory, kRefused);
    m->WriteWired(address, data, count, ::kbr::wire::FindMemory(code)->flash);
    return Status(wire::CmdWriteMemory, kOk);
}

TBoardModel::TReply TBoardModel::ReadMemory(const uint8_t* p, size_t) {
    uint8_t code = p[0];
    uint32_t address = GetU32(p + 1);
    uint32_t count = GetU32(p + 5);
    // A reply longer than one frame cannot be sent at all.
    if (count > wire::kMaxPayload - wire::ReplyLength(wire::CmdReadMemory))
        return Status(wire::CmdReadMemory, kRefused);
    TSparseMemory* m = Memory(code);
    if (!m || !m->Contains(address, count))
        return Status(wire::CmdReadMemory, kRefused, count);
    TReply r = Status(wire::CmdReadMemory, kOk, count);
    m->ReadWired(address, r.payload.data() + 1, count);
    return r;
}

TBoardModel::TReply TBoardModel::RunLoopbackTest(const uint8_t*, size_t) {
    uint64_t m40 = hsmcAdapter ? hsmcFail40 : 0xFFFFFFFFFFull;
    uint8_t m8 = hsmcAdapter ? hsmcFail8 : 0x0F;
    // The wire spreads the 40 pin pairs over three words: A bits 0-17, B bits
    // 20-37, and C holds 18, 19, 38, 39 in its bits 0-3.
    uint32_t a = uint32_t(m40 & 0x3FFFF);
    uint32_t b = uint32_t((m40 >> 20) & 0x3FFFF);
    uint32_t c = uint32_t((m40 >> 18) & 0x3) | uint32_t(((m40 >> 38) & 0x3) << 2);
    TReply r = Status(wire::CmdRunLoopbackTest, kOk);
    PutU32(r.payload.data() + 1, a);
    PutU32(r.payload.data() + 5, b);
    PutU32(r.payload.data() + 9, c);
    PutU32(r.payload.data() + 13, m8);
    return r;
}

void TBoardModel::ShowLcdText() {
    size_t stop = lcdText.find('\0');
    std::string text = lcdText.substr(0, stop);
    size_t lf = text.find('\n');
    lcdLine[0] = text.substr(0, lf);
    if (lf == std::string::npos) {
        lcdLine[1].clear();
    } else {
        std::string rest = text.substr(lf + 1);
        lcdLine[1] = rest.substr(0, rest.find('\n'));
    }
    if (stop != std::string::npos)
        lcdText.clear();
}

TBoardModel::TReply TBoardModel::SendDeviceData(const uint8_t* p, size_t) {
    uint8_t channel = p[0];
    size_t count = p[1];
    const uint8_t* data = p + 2;
    if (count > kDeviceChunk)
        return Status(wire::CmdSendDeviceData, kRefused);
    switch (channel) {
    case kLcd:
        // A long text may come in several chunks; the zero byte ends it.
        if (lcdText.size() + count > kLcdTextMax)
            lcdText.clear();
        lcdText.append(reinterpret_cast<const char*>(data), count);
        ShowLcdText();
        return Status(wire::CmdSendDeviceData, kOk);
    case kVga:
        if (count < 1)
            return Status(wire::CmdSendDeviceData, kRefused);
        vgaPattern = data[0];
        return Status(wire::CmdSendDeviceData, kOk);
    case kRs232:
        if (rs232Tx.size() + count > kRs232TxMax)
            rs232Tx.erase(0, rs232Tx.size() + count - kRs232TxMax);
        rs232Tx.append(reinterpret_cast<const char*>(data), count);
        if (rs232Loopback) {
            // A full receive buffer overruns, as a real UART would.
            size_t room = kRs232QueueMax - std::min(kRs232QueueMax, rs232Rx.size());
            rs232Rx.insert(rs232Rx.end(), data, data + std::min(room, count));
        }
        return Status(wire::CmdSendDeviceData, kOk);
    default:
        return Status(wire::CmdSendDeviceData, kRefused);
    }
}

TBoardModel::TReply TBoardModel::ReadDeviceData(const uint8_t* p, size_t) {
    TReply r = Status(wire::CmdReadDeviceData, kOk);
    uint8_t* out = r.payload.data() + 2;
    size_t n = 0;
    auto drain = [&](std::deque<uint8_t>& q, size_t max) {
        n = std::min(q.size(), max);
        std::copy_n(q.begin(), n, out);
        q.erase(q.begin(), q.begin() + long(n));
    };
    switch (p[0]) {
    case kIr:
        if (!irPresent)
            return Status(wire::CmdReadDeviceData, kRefused);
        if (irMode)
            drain(irQueue, kDeviceChunk);
        break;
    case kLcd:
    case kVga:
        break;
    case kRs232:
        if (rs232Mode)
            drain(rs232Rx, kDeviceChunk);
        break;
    case kPs2:
        if (ps2Mode && ps2Present)
            drain(ps2Queue, kDeviceChunk); // whole reports: the queue holds multiples of 4
        break;
    case kUsb:
        out[0] = usbKind;
        n = 1;
        break;
    default:
        return Status(wire::CmdReadDeviceData, kRefused);
    }
    r.payload[1] = uint8_t(n);
    return r;
}

TBoardModel::TReply TBoardModel::SetDeviceMode(const uint8_t* p, size_t) {
    uint8_t channel = p[0];
    uint8_t mode = p[1];
    if (mode > 1)
        return Status(wire::CmdSetDeviceMode, kRefused);
    bool on = mode == 1;
    switch (channel) {
    case kIr:
        if (!irPresent)
            return Status(wire::CmdSetDeviceMode, kRefused);
        irMode = on;
        break;
    case kRs232:
        rs232Mode = on;
        break;
    case kPs2:
        if (on && !ps2Present)
            return Status(wire::CmdSetDeviceMode, kRefused);
        ps2Mode = on;
        break;
    default:
        return Status(wire::CmdSetDeviceMode, kRefused);
    }
    return Status(wire::CmdSetDeviceMode, kOk);
}

} // namespace vboard
