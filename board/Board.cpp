#include "board/Board.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "board/JtagPort.h"
#include "board/SdCardRegisters.h"
#include "platform/Assert.h"
#include "platform/System.h"

namespace {

constexpr uint8_t kStartByte = kbr::wire::kFrameStart;
constexpr uint8_t kEndByte = kbr::wire::kFrameEnd;
constexpr uint32_t kHeaderSize = kbr::wire::kHeaderSize;
constexpr uint32_t kFrameOverhead = kbr::wire::kFrameOverhead;
constexpr uint32_t kBodyTimeoutMs = 3000;
constexpr uint32_t kReadSliceMs = 3000;

uint8_t Checksum(const uint8_t* bytes, size_t count) {
    uint8_t sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum = static_cast<uint8_t>(sum + bytes[i]);
    return sum;
}

void PutU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t GetU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

} // namespace

TBoard::TBoard() = default;

TBoard::~TBoard() { Disconnect(); }

// ---- session -------------------------------------------------------------

bool TBoard::Connect(std::string& errorText, int32_t portIndex) {
    Disconnect();
    port = std::make_unique<TJtagPort>(portIndex, std::string());
    libraryError = port->LoadError();
    const bool opened = port->Open();
    linkInUse = !opened && port->OpenFailure() == kbr::wire::LinkFailure::InUse;
    if (!opened)
        errorText = linkInUse ? kLinkInUseText : "Fail to connect FPGA borad.";
    if (port->IsOpen()) {
        std::vector<uint8_t> record(TJtagPort::kInfoRecordSize, 0);
        if (port->GetInfo(record.data())) {
            // The library's text is NUL-terminated; never read past our record.
            const char* text = reinterpret_cast<const char*>(record.data()) + TJtagPort::kInfoTextOffset;
            LinkInfo.assign(text, strnlen(text, record.size() - TJtagPort::kInfoTextOffset));
        }
        LastActivity = platform::GetTickCount();
        return true;
    }
    port.reset();
    return false;
}

void TBoard::Disconnect() {
    if (port) {
        if (port->IsOpen())
            port->Close();
        port.reset();
    }
    LinkInfo.clear();
}

void TBoard::Beep() {
    if (OnBeep)
        OnBeep();
}

bool TBoard::IsConnected() const { return port && port->IsOpen(); }

// ---- transaction ---------------------------------------------------------

bool TBoard::ReadExact(uint8_t* buffer, uint32_t count, uint32_t timeoutMs) {
    if (!port)
        return false;
    uint32_t got = 0;
    const uint32_t start = platform::GetTickCount();
    while (got < count) {
        if (platform::GetTickCount() - start > timeoutMs)
            return false;
        got += port->Read(buffer + got, count - got, kReadSliceMs);
    }
    return true;
}

void TBoard::FlushInput() {
    if (!port)
        return;
    uint8_t discard;
    for (uint32_t n = 0; n < kFlushLimit; ++n) {
        if (port->Read(&discard, 1, 1) == 0)
            break;
    }
}

bool TBoard::Transact(uint8_t command, uint8_t* replyBuffer, uint32_t timeoutMs,
                      uint32_t payloadLength, const uint8_t* payload, uint32_t replyLength) {
    FlushInput();
    KBR_ASSERT(replyBuffer != nullptr, "pReturnBuffer");
    KBR_ASSERT(payloadLength <= PKT_PC2NIOS_MAX_PL_LEN, "dwPayloadLen <= PKT_PC2NIOS_MAX_PL_LEN");
    if (!port)
        return false; // callers check IsConnected; a stray call must not crash

    std::vector<uint8_t> request(payloadLength + kFrameOverhead);
    request[0] = kStartByte;
    request[1] = command;
    PutU32(&request[2], payloadLength);
    if (payloadLength > 0)
        std::memcpy(&request[kHeaderSize], payload, payloadLength);
    request[kHeaderSize + payloadLength] = Checksum(&request[1], payloadLength + 5);
    request[kHeaderSize + payloadLength + 1] = kEndByte;
    if (!port->Write(request.data(), static_cast<uint32_t>(request.size()))) {
        Beep();
        return false;
    }

    uint8_t header[kHeaderSize];
    if (!ReadExact(header, kHeaderSize, timeoutMs) || header[0] != kStartByte || header[1] != command) {
        FlushInput();
        return false;
    }
    // A reply of another length is left where it is; the next exchange flushes it.
    if (GetU32(&header[2]) != replyLength)
        return false;

    std::vector<uint8_t> reply(replyLength + kFrameOverhead);
    std::memcpy(reply.data(), header, kHeaderSize);
    bool ok = ReadExact(&reply[kHeaderSize], replyLength + 2, kBodyTimeoutMs) &&
              reply[0] == kStartByte && reply.back() == kEndByte &&
              reply[replyLength + kHeaderSize] == Checksum(&reply[1], replyLength + 5);
    if (!ok) {
        Beep();
        return false;
    }
    std::memcpy(replyBuffer, &reply[kHeaderSize], replyLength);
    return true;
}

bool TBoard::QueryBoardName(std::string& name) {
    uint8_t reply[17];
    if (!Transact(CmdQueryBoardName, reply, kDefaultTimeoutMs, 0, nullptr, sizeof reply) || reply[0] != 0)
        return false;
    // Up to 16 characters; a full-length name has no terminating NUL.
    const char* text = reinterpret_cast<const char*>(&reply[1]);
    size_t len = strnlen(text, 16);
    if (len > 0)
        name.assign(text, len);
    return true;
}

bool TBoard::Keepalive() {
    uint8_t status;
    return Transact(CmdKeepAlive, &status, kDefaultTimeoutMs, 0, nullptr, 1) && status == 0;
}

bool TBoard::Ping() {
    const int exchanges = platform::GetTickCount() - LastActivity > kKeepAliveSilenceMs ? 5 : 1;
    bool ok = false;
    for (int i = 0; i < exchanges; ++i) {
        ok = Keepalive();
        if (!ok)
            break;
    }
    LastActivity = platform::GetTickCount();
    return ok;
}

// ---- plain commands ------------------------------------------------------

bool TBoard::SetLeds(uint32_t bits) {
    uint8_t payload[4], status;
    PutU32(payload, bits);
    return Transact(CmdSetLeds, &status, kDefaultTimeoutMs, sizeof payload, payload, 1) && status == 0;
}

bool TBoard::ReadSwitchesAndKeys(uint32_t& value) {
    uint8_t reply[13];
    if (!Transact(CmdReadSwitchesAndKeys, reply, kDefaultTimeoutMs, 0, nullptr, sizeof reply) ||
        reply[0] != 0)
        return false;
    const uint32_t keys = GetU32(&reply[1]);
    const uint32_t switches = GetU32(&reply[9]);
    value = ((switches & 0x3FFFF) << 4) | (keys & 0xF);
    return true;
}

bool TBoard::SetSeg7(uint32_t value, uint8_t extra) {
    uint8_t payload[5], status;
    PutU32(payload, value);
    payload[4] = extra;
    return Transact(CmdSetSeg7, &status, kDefaultTimeoutMs, sizeof payload, payload, 1) && status == 0;
}

bool TBoard::WriteMemory(uint8_t memory, uint32_t address, uint32_t count, const uint8_t* data) {
    std::vector<uint8_t> payload(5 + std::min(count, kMaxWriteChunk));
    uint32_t sent = 0;
    while (sent < count) {
        const uint32_t n = std::min(kMaxWriteChunk, count - sent);
        payload[0] = memory;
        PutU32(&payload[1], address);
        std::memcpy(&payload[5], data + sent, n);
        uint8_t status;
        if (!Transact(CmdWriteMemory, &status, kDefaultTimeoutMs, 5 + n, payload.data(), 1) ||
            status != 0)
            return false;
        address += n;
        sent += n;
    }
    return true;
}

bool TBoard::ReadMemory(uint8_t memory, uint32_t address, uint32_t count, uint8_t* buffer) {
    std::vector<uint8_t> reply(1 + std::min(count, kMaxReadChunk));
    uint32_t done = 0;
    while (done < count) {
        const uint32_t n = std::min(kMaxReadChunk, count - done);
        uint8_t payload[9];
        payload[0] = memory;
        PutU32(&payload[1], address);
        PutU32(&payload[5], n);
        if (!Transact(CmdReadMemory, reply.data(), kDefaultTimeoutMs, sizeof payload, payload, n + 1) ||
            reply[0] != 0)
            return false;
        std::memcpy(buffer + done, &reply[1], n);
        address += n;
        done += n;
    }
    return true;
}

uint32_t TBoard::QueryEraseStatus() {
    uint8_t reply[5];
    if (!Transact(CmdQueryEraseStatus, reply, kDefaultTimeoutMs, 0, nullptr, sizeof reply) ||
        reply[0] != 0)
        return 0;
    return GetU32(&reply[1]);
}

// ---- split commands ------------------------------------------------------

bool TBoard::ReadSdCardInfo(bool& done, std::string& csdText, std::string& cidText,
                            std::string& fileSystem) {
    uint8_t reply[36];
    if (!Transact(CmdReadSdCardInfo, reply, kSdCardTimeoutMs, 0, nullptr, sizeof reply))
        return false;
    done = reply[0] == 0;
    if (done) {
        csdText = CsdText(&reply[1]);
        cidText = CidText(&reply[18]);
        fileSystem = FileSystemName(reply[35]);
    }
    return true;
}

bool TBoard::StartErase(bool& done, uint16_t argument) {
    done = false;
    uint8_t payload[4], status;
    PutU32(payload, argument);
    if (!Transact(CmdStartErase, &status, kDefaultTimeoutMs, sizeof payload, payload, 1))
        return false;
    done = status == 0;
    return true;
}

bool TBoard::RunLoopbackTest(bool& done, uint8_t selector, uint32_t& mask8, uint64_t& mask40) {
    uint8_t payload = selector != 0 ? 1 : 0;
    uint8_t reply[17];
    if (!Transact(CmdRunLoopbackTest, reply, kDefaultTimeoutMs, 1, &payload, sizeof reply))
        return false;
    mask8 = 0;
    mask40 = 0;
    if (reply[0] != 0) {
        done = false;
        return true;
    }
    const uint32_t a = GetU32(&reply[1]), b = GetU32(&reply[5]), c = GetU32(&reply[9]),
                   d = GetU32(&reply[13]);
    auto bit = [](uint32_t v, int i) -> uint64_t { return (v >> i) & 1u; };
    for (int i = 0; i < 40; ++i) {
        uint64_t v;
        if (i < 18)
            v = bit(a, i);
        else if (i < 20)
            v = bit(c, i - 18);
        else if (i < 38)
            v = bit(b, i - 20);
        else
            v = bit(c, i - 36);
        mask40 |= v << i;
    }
    mask8 = d & 0xFF;
    done = true;
    return true;
}

bool TBoard::SendDeviceData(bool& done, uint8_t channel, uint32_t count, const uint8_t* data) {
    done = true;
    bool ok = true;
    uint32_t sent = 0;
    uint8_t payload[2 + kDeviceChunk];
    while (ok && done && sent < count) {
        const uint32_t n = std::min(kDeviceChunk, count - sent);
        std::memset(payload, 0, sizeof payload);
        payload[0] = channel;
        payload[1] = static_cast<uint8_t>(n);
        std::memcpy(&payload[2], data + sent, n);
        uint8_t status;
        ok = Transact(CmdSendDeviceData, &status, kDefaultTimeoutMs, sizeof payload, payload, 1);
        if (ok && status != 0)
            done = false;
        sent += n;
    }
    return ok;
}

bool TBoard::ReadDeviceData(bool& done, uint8_t channel, uint32_t& count, uint8_t* buffer) {
    done = false;
    uint8_t reply[2 + kDeviceChunk];
    if (!Transact(CmdReadDeviceData, reply, kDefaultTimeoutMs, 1, &channel, sizeof reply))
        return false;
    if (reply[0] == 0 && reply[1] <= kDeviceChunk) {
        count = reply[1];
        std::memcpy(buffer, &reply[2], count);
        done = true;
    }
    return true;
}

bool TBoard::SetDeviceMode(bool& done, uint8_t channel, uint8_t mode) {
    done = false;
    uint8_t payload[2] = {channel, mode}, status;
    if (!Transact(CmdSetDeviceMode, &status, kDefaultTimeoutMs, sizeof payload, payload, 1))
        return false;
    done = status == 0;
    return true;
}
