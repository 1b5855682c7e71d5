// Link figures (not a test): the virtual board's raw link socket, keep-alives
// through TBoard, and 8 MiB SDRAM transfers unpaced and paced, with the PC
// side's CPU time. Runs its own virtual board in a private directory.
#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <vector>

#include "bench/BenchStats.h"
#include "board/Board.h"
#include "platform/UnixSocket.h"
#include "platform/VBoardDir.h"
#include "tests/support/TestVBoard.h"
#include "wire/FrameCodec.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kSdram = 7;
constexpr uint32_t kTransferBytes = 8u << 20;
constexpr uint32_t kPacedRate = 1000000;
constexpr double kFlushWaitMs = 1.0; // FlushInput's last, empty 1 ms read

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

using bench::CpuSeconds;
using bench::Median;

std::vector<uint8_t> ReadRequest(uint32_t address, uint32_t count) {
    std::vector<uint8_t> p(kbr::wire::RequestLength(kbr::wire::CmdReadMemory));
    p[0] = kSdram;
    kbr::wire::PutU32(&p[1], address);
    kbr::wire::PutU32(&p[5], count);
    return kbr::wire::MakeFrame(kbr::wire::CmdReadMemory, p);
}

// Waits for exactly `count` bytes on the raw socket.
bool Receive(int fd, uint8_t* buffer, size_t count) {
    size_t got = 0;
    while (got < count) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, 5000) <= 0)
            return false;
        const ssize_t n = recv(fd, buffer + got, count - got, 0);
        if (n <= 0)
            return false;
        got += static_cast<size_t>(n);
    }
    return true;
}

struct RawFigures {
    double mbPerSecond = 0;
    double pacedMbPerSecond = 0; // the same frames under `link rate`
    double bigFrameMs = 0;  // one 32747-byte read exchange
    double smallRoundTripUs = 0;
};

// (a) Two processes, one socket: this bench and the board, no DLL, no TBoard.
RawFigures MeasureRawLink(const TestVBoard& vb) {
    RawFigures f;
    const int fd = platform::ConnectUnix(platform::VBoardLinkSocket(vb.Dir()));
    if (fd < 0) {
        std::printf("raw link: cannot connect\n");
        return f;
    }
    const auto keepAlive = kbr::wire::MakeFrame(kbr::wire::CmdKeepAlive, {});
    std::vector<uint8_t> reply(TBoard::kMaxReadChunk + 9);
    std::vector<double> rtt;
    for (int i = 0; i < 2000; ++i) {
        const auto start = Clock::now();
        if (!platform::SendAll(fd, keepAlive.data(), keepAlive.size()) || !Receive(fd, reply.data(), 9))
            break;
        rtt.push_back(SecondsSince(start) * 1e6);
    }
    f.smallRoundTripUs = Median(rtt);

    // Big read frames back to back; returns seconds per frame.
    auto bigFrames = [&](uint32_t frames) {
        const auto start = Clock::now();
        uint32_t done = 0;
        for (; done < frames; ++done) {
            const auto request = ReadRequest(done * TBoard::kMaxReadChunk, TBoard::kMaxReadChunk);
            if (!platform::SendAll(fd, request.data(), request.size()) ||
                !Receive(fd, reply.data(), reply.size()))
                break;
        }
        return SecondsSince(start) / std::max(done, 1u);
    };
    const double frameSeconds = bigFrames(kTransferBytes / TBoard::kMaxReadChunk);
    f.mbPerSecond = TBoard::kMaxReadChunk / frameSeconds / 1e6;
    f.bigFrameMs = frameSeconds * 1000;
    // What the board's own pacing leaves for any client: 1 MiB of frames.
    vb.CtlOk("link rate " + std::to_string(kPacedRate));
    f.pacedMbPerSecond = TBoard::kMaxReadChunk / bigFrames((1u << 20) / TBoard::kMaxReadChunk) / 1e6;
    vb.CtlOk("link rate off");
    platform::CloseFd(fd);
    return f;
}

struct TransferFigures {
    bool ok = false;
    double seconds = 0, cpuSeconds = 0;
    double MbPerSecond() const { return kTransferBytes / seconds / 1e6; }
};

TransferFigures Transfer(TBoard& board, bool write, std::vector<uint8_t>& buffer) {
    TransferFigures f;
    const double cpu = CpuSeconds();
    const auto start = Clock::now();
    f.ok = write ? board.WriteMemory(kSdram, 0, kTransferBytes, buffer.data())
                 : board.ReadMemory(kSdram, 0, kTransferBytes, buffer.data());
    f.seconds = SecondsSince(start);
    f.cpuSeconds = CpuSeconds() - cpu;
    return f;
}

// CPU share of one command that runs out the session's limit: the board keeps
// silent (`drop`) or cuts the link instead of replying (`disconnect`).
double WaitingCpuPercent(TBoard& board, const TestVBoard& vb, const std::string& fault) {
    vb.CtlOk("fault " + fault);
    const double cpu = CpuSeconds();
    const auto start = Clock::now();
    const bool answered = board.Ping();
    const double percent = 100.0 * (CpuSeconds() - cpu) / SecondsSince(start);
    if (answered)
        std::printf("  (the board answered in spite of `fault %s`)\n", fault.c_str());
    return percent;
}

void PrintTransfer(const char* what, const TransferFigures& f) {
    std::printf("  %-28s %s %7.3f s  %7.2f MB/s  CPU %6.3f s\n", what, f.ok ? "ok  " : "FAIL",
                f.seconds, f.MbPerSecond(), f.cpuSeconds);
}

} // namespace

int main() {
    TestVBoard vb;
    std::printf("KBR-370 link benchmark (virtual board in %s)\n\n", vb.Dir().c_str());

    const RawFigures raw = MeasureRawLink(vb);
    std::printf("(a) raw link socket, between two processes\n");
    std::printf("  small frame round trip      %8.1f us (median of 2000 keep-alives)\n",
                raw.smallRoundTripUs);
    std::printf("  32747-byte read frames      %8.1f MB/s, %.3f ms per exchange\n", raw.mbPerSecond,
                raw.bigFrameMs);
    std::printf("  the same, link rate 1e6     %8.3f MB/s (%.1f %% of the rate: the board's own ceiling)\n\n",
                raw.pacedMbPerSecond, raw.pacedMbPerSecond * 1e6 / kPacedRate * 100);

    TBoard board;
    std::string error;
    if (!board.Connect(error, 0)) {
        std::printf("connect failed: %s\n", error.c_str());
        return 1;
    }

    const int pings = 3000;
    int okPings = 0;
    auto start = Clock::now();
    for (int i = 0; i < pings; ++i)
        okPings += board.Ping() ? 1 : 0;
    const double pingSeconds = SecondsSince(start);
    std::printf("(b) keep-alives through TBoard  %8.0f per second (%d of %d ok)\n\n",
                okPings / pingSeconds, okPings, pings);

    std::vector<uint8_t> buffer(kTransferBytes);
    for (size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = static_cast<uint8_t>(i * 7);
    std::printf("(c, d) 8 MiB of SDRAM through TBoard (CPU: this process, user + system)\n");
    const TransferFigures writeFree = Transfer(board, true, buffer);
    PrintTransfer("WriteMemory, unpaced", writeFree);
    const TransferFigures readFree = Transfer(board, false, buffer);
    PrintTransfer("ReadMemory, unpaced", readFree);

    vb.CtlOk("link rate " + std::to_string(kPacedRate));
    const TransferFigures writePaced = Transfer(board, true, buffer);
    PrintTransfer("WriteMemory, link rate 1e6", writePaced);
    const TransferFigures readPaced = Transfer(board, false, buffer);
    PrintTransfer("ReadMemory, link rate 1e6", readPaced);
    vb.CtlOk("link rate off");

    std::printf("\n(e) one command that waits out the limit (CPU: this process)\n");
    const double silentCpu = WaitingCpuPercent(board, vb, "drop");
    std::printf("  silent board                %8.2f %% of one core\n", silentCpu);
    const double cutCpu = WaitingCpuPercent(board, vb, "disconnect");
    std::printf("  link cut by the board       %8.2f %% of one core\n", cutCpu);
    board.Disconnect();

    const double readExchanges = std::ceil(double(kTransferBytes) / TBoard::kMaxReadChunk);
    const double perExchangeMs = readFree.seconds * 1000 / readExchanges;
    const double limitMs = kFlushWaitMs + 2 * raw.bigFrameMs;
    const double pacedShare = readPaced.MbPerSecond() * 1e6 / kPacedRate * 100;
    const double pacedWriteShare = writePaced.MbPerSecond() * 1e6 / kPacedRate * 100;
    std::printf("\nTargets\n");
    std::printf("  paced read >= 95 %% of the paced rate: %.1f %%  %s\n", pacedShare,
                pacedShare >= 95 ? "met" : "MISSED");
    std::printf("  paced write >= 95 %% of the paced rate: %.1f %%  %s\n", pacedWriteShare,
                pacedWriteShare >= 95 ? "met" : "MISSED");
    auto cpuShare = [](const TransferFigures& t) { return 100.0 * t.cpuSeconds / t.seconds; };
    auto quiet = [&](const char* what, const TransferFigures& t, double share) {
        const bool met = cpuShare(t) <= 5 && share >= 98;
        std::printf("  paced %s: CPU <= 5 %% of wall at >= 98 %% of the rate: %.1f %% at %.1f %%  %s\n",
                    what, cpuShare(t), share, met ? "met" : "MISSED");
    };
    quiet("read", readPaced, pacedShare);
    quiet("write", writePaced, pacedWriteShare);
    std::printf("  silent board, CPU while waiting <= 2 %%: %.2f %%  %s\n", silentCpu,
                silentCpu <= 2 ? "met" : "MISSED");
    std::printf("  cut link, CPU while waiting <= 2 %%: %.2f %%  %s\n", cutCpu,
                cutCpu <= 2 ? "met" : "MISSED");
    std::printf("  unpaced read per 32 KiB exchange <= 1 ms + 2 x raw (%.3f ms): %.3f ms  %s\n",
                limitMs, perExchangeMs, perExchangeMs <= limitMs ? "met" : "MISSED");
    return 0;
}
