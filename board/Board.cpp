#include "board/Board.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "board/JtagPort.h"
#include "board/SdCardRegisters.h"
#include "platform/Assert.h"
#include "platform/System.h"
#include "wire/FrameCodec.h"

namespace {

namespace wire = kbr::wire;
using wire::GetU32;
using wire::PutU32;

TBoard::TLimits& ProcessLimits() {
    static TBoard::TLimits limits;
    return limits;
}

} // namespace

TBoard::TBoard() : limits(ProcessLimits()) {}

void TBoard::SetDefaultLimits(const TLimits& value) { ProcessLimits() = value; }

TBoard::~TBoard() { Disconnect(); }

// ---- session -------------------------------------------------------------

bool TBoard::Connect(std::string& errorText, int32_t portIndex) {
    Disconnect();
    port = std::make_unique<TJtagPort>(portIndex, std::string());
    libraryError = port->LoadError();
    const bool opened = port->Open();
    linkInUse = !opened && port->OpenFailure() == kbr::wire::LinkFailure::InUse;
    // A library that cannot tell why leaves the blank FPGA as the likely cause.
    linkUnanswered = !opened && libraryError.empty() &&
                     (port->OpenFailure() == kbr::wire::LinkFailure::NoBoard ||
                      port->OpenFailure() == kbr::wire::LinkFailure::Unknown);
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
        got += port->Read(buffer + got, count - got, std::min(limits.readSliceMs, timeoutMs));
    }
    return true;
}

void TBoard::FlushInput() {
    if (!port)
        return;
    uint8_t discard;
    for (uint32_t n = 0; n < limits.flushBytes; ++n) {
        if (port->Read(&discard, 1, limits.flushWaitMs) == 0)
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

    std::vector<uint8_t> request(payloadLength + wire::kFrameOverhead);
    wire::EncodeFrame(request.data(), command, payload, payloadLength);
    if (!port->Write(request.data(), static_cast<uint32_t>(request.size()))) {
        Beep();
        return false;
    }

    uint8_t header[wire::kHeaderSize];
    if (!ReadExact(header, wire::kHeaderSize, timeoutMs) || !wire::HeaderOk(header) ||
        wire::FrameCommand(header) != command) {
        FlushInput();
        return false;
    }
    // A reply of another length is left where it is; the next exchange flushes it.
    if (wire::FramePayloadLength(header) != replyLength)
        return false;

    std::vector<uint8_t> reply(replyLength + wire::kFrameOverhead);
    std::memcpy(reply.data(), header, wire::kHeaderSize);
    const bool ok = ReadExact(&reply[wire::kHeaderSize], replyLength + 2, limits.bodyMs) &&
                    wire::TailOk(reply.data(), replyLength);
    if (!ok) {
        Beep();
        return false;
    }
    std::memcpy(replyBuffer, &reply[wire::kHeaderSize], replyLength);
    return true;
}

bool TBoard::Call(wire::Command command, const uint8_t* payload, uint8_t* reply,
                  uint32_t extraRequest, uint32_t extraReply) {
    const wire::TCommandInfo& c = wire::Describe(command);
    const uint32_t timeoutMs =
        command == wire::CmdReadSdCardInfo ? limits.sdCardReplyMs : limits.replyMs;
    return Transact(command, reply, timeoutMs, c.request + extraRequest, payload,
                    c.reply + extraReply);
}

bool TBoard::QueryBoardName(std::string& name) {
    uint8_t reply[wire::ReplyLength(wire::CmdQueryBoardName)];
    if (!Call(wire::CmdQueryBoardName, nullptr, reply) || reply[0] != 0)
        return false;
    // Up to 16 characters; a full-length name has no terminating NUL.
    const char* text = reinterpret_cast<const char*>(&reply[1]);
    size_t len = strnlen(text, sizeof reply - 1);
    if (len > 0)
        name.assign(text, len);
    return true;
}

bool TBoard::Keepalive() {
    uint8_t status;
    return Call(wire::CmdKeepAlive, nullptr, &status) && status == 0;
}

bool TBoard::Ping() {
    const uint32_t exchanges =
        platform::GetTickCount() - LastActivity > limits.keepAliveSilenceMs ? limits.wakeExchanges : 1;
    bool ok = false;
    for (uint32_t i = 0; i < exchanges; ++i) {
        ok = Keepalive();
        if (!ok)
            break;
    }
    LastActivity = platform::GetTickCount();
    return ok;
}

// ---- plain commands ------------------------------------------------------

bool TBoard::SetLeds(uint32_t bits) {
    uint8_t payload[wire::RequestLength(wire::CmdSetLeds)], status;
    PutU32(payload, bits);
    return Call(wire::CmdSetLeds, payload, &status) && status == 0;
}

bool TBoard::ReadSwitchesAndKeys(uint32_t& value) {
    uint8_t reply[wire::ReplyLength(wire::CmdReadSwitchesAndKeys)];
    if (!Call(wire::CmdReadSwitchesAndKeys, nullptr, reply) || reply[0] != 0)
        return false;
    const uint32_t keys = GetU32(&reply[1]);
    const uint32_t switches = GetU32(&reply[9]);
    value = ((switches & 0x3FFFF) << 4) | (keys & 0xF);
    return true;
}

bool TBoard::SetSeg7(uint32_t value, uint8_t extra) {
    uint8_t payload[wire::RequestLength(wire::CmdSetSeg7)], status;
    PutU32(payload, value);
    payload[4] = extra;
    return Call(wire::CmdSetSeg7, payload, &status) && status == 0;
}

bool TBoard::WriteMemory(uint8_t memory, uint32_t address, uint32_t count, const uint8_t* data) {
    constexpr uint32_t header = wire::RequestLength(wire::CmdWriteMemory);
    std::vector<uint8_t> payload(header + std::min(count, kMaxWriteChunk));
    uint32_t sent = 0;
    while (sent < count) {
        const uint32_t n = std::min(kMaxWriteChunk, count - sent);
        payload[0] = memory;
        PutU32(&payload[1], address);
        std::memcpy(&payload[header], data + sent, n);
        uint8_t status;
        if (!Call(wire::CmdWriteMemory, payload.data(), &status, n) || status != 0)
            return false;
        address += n;
        sent += n;
    }
    return true;
}

bool TBoard::ReadMemory(uint8_t memory, uint32_t address, uint32_t count, uint8_t* buffer) {
    constexpr uint32_t header = wire::ReplyLength(wire::CmdReadMemory);
    std::vector<uint8_t> reply(header + std::min(count, kMaxReadChunk));
    uint32_t done = 0;
    while (done < count) {
        const uint32_t n = std::min(kMaxReadChunk, count - done);
        uint8_t payload[wire::RequestLength(wire::CmdReadMemory)];
        payload[0] = memory;
        PutU32(&payload[1], address);
        PutU32(&payload[5], n);
        if (!Call(wire::CmdReadMemory, payload, reply.data(), 0, n) || reply[0] != 0)
            return false;
        std::memcpy(buffer + done, &reply[header], n);
        address += n;
        done += n;
    }
    return true;
}

uint32_t TBoard::QueryEraseStatus() {
    uint8_t reply[wire::ReplyLength(wire::CmdQueryEraseStatus)];
    if (!Call(wire::CmdQueryEraseStatus, nullptr, reply) || reply[0] != 0)
        return 0;
    return GetU32(&reply[1]);
}

// ---- split commands ------------------------------------------------------

bool TBoard::ReadSdCardInfo(bool& done, std::string& csdText, std::string& cidText,
                            std::string& fileSystem) {
    TSdCardRegisters registers;
    if (!ReadSdCardRegisters(done, registers))
        return false;
    if (done) {
        csdText = CsdText(registers.csd);
        cidText = CidText(registers.cid);
        fileSystem = FileSystemName(registers.fileSystem);
    }
    return true;
}

bool TBoard::ReadSdCardRegisters(bool& done, TSdCardRegisters& registers) {
    uint8_t reply[wire::ReplyLength(wire::CmdReadSdCardInfo)];
    if (!Call(wire::CmdReadSdCardInfo, nullptr, reply))
        return false;
    done = reply[0] == 0;
    if (done) {
        std::memcpy(registers.csd, &reply[1], sizeof registers.csd);
        std::memcpy(registers.cid, &reply[18], sizeof registers.cid);
        registers.fileSystem = reply[35];
    }
    return true;
}

bool TBoard::StartErase(bool& done, uint16_t argument) {
    done = false;
    uint8_t payload[wire::RequestLength(wire::CmdStartErase)], status;
    PutU32(payload, argument);
    if (!Call(wire::CmdStartErase, payload, &status))
        return false;
    done = status == 0;
    return true;
}

bool TBoard::RunLoopbackTest(bool& done, uint8_t selector, uint32_t& mask8, uint64_t& mask40) {
    uint8_t payload = selector != 0 ? 1 : 0;
    uint8_t reply[wire::ReplyLength(wire::CmdRunLoopbackTest)];
    if (!Call(wire::CmdRunLoopbackTest, &payload, reply))
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
    uint8_t payload[wire::RequestLength(wire::CmdSendDeviceData)];
    while (ok && done && sent < count) {
        const uint32_t n = std::min(kDeviceChunk, count - sent);
        std::memset(payload, 0, sizeof payload);
        payload[0] = channel;
        payload[1] = static_cast<uint8_t>(n);
        std::memcpy(&payload[2], data + sent, n);
        uint8_t status;
        ok = Call(wire::CmdSendDeviceData, payload, &status);
        if (ok && status != 0)
            done = false;
        sent += n;
    }
    return ok;
}

bool TBoard::ReadDeviceData(bool& done, uint8_t channel, uint32_t& count, uint8_t* buffer) {
    done = false;
    uint8_t reply[wire::ReplyLength(wire::CmdReadDeviceData)];
    if (!Call(wire::CmdReadDeviceData, &channel, reply))
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
    uint8_t payload[wire::RequestLength(wire::CmdSetDeviceMode)] = {channel, mode}, status;
    if (!Call(wire::CmdSetDeviceMode, payload, &status))
        return false;
    done = status == 0;
    return true;
}
