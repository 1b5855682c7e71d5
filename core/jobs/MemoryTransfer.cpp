#include "core/jobs/MemoryTransfer.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include <fmt/format.h>

#include "board/Board.h"
#include "core/Host.h"
#include "core/formats/ContentEncoder.h"
#include "core/devices/MemoryModel.h"
#include "platform/System.h"

namespace {

// A plan cut for no bytes still moves what it is given.
uint32_t MostPerExchange(const TMemoryTransfer::TPlan& plan) {
    return std::max(plan.exchange, 1u);
}

} // namespace

TMemoryTransfer::TMemoryTransfer(TBoard& board, THost& host) : board(board), host(&host) {}

TMemoryTransfer::TMemoryTransfer(TBoard& board) : board(board) {}

void TMemoryTransfer::TellProgress(uint32_t done, uint32_t total) const {
    if (host)
        host->TaskProgress(done, total);
}

bool TMemoryTransfer::Aborted() const {
    return host && host->StopRequested();
}

TMemoryTransfer::TPlan TMemoryTransfer::PanelReadPlan(uint32_t total) {
    // The bytes go out in the largest reads the link allows, not cut at the
    // step boundaries, so a save takes no more exchanges than its size needs.
    const uint32_t step = TransferStep(total, 0);
    return {.exchange = std::min(step, TBoard::kMaxReadChunk), .step = step, .ping = true};
}

TMemoryTransfer::TPlan TMemoryTransfer::PanelWritePlan(uint32_t total) {
    const uint32_t step = TransferStep(total, TBoard::kMaxWriteChunk);
    return {.exchange = step, .step = step, .ping = true};
}

TMemoryTransfer::TPlan TMemoryTransfer::ReadPlan() {
    return {.exchange = TBoard::kMaxReadChunk};
}

TMemoryTransfer::TPlan TMemoryTransfer::WritePlan() {
    return {.exchange = TBoard::kMaxWriteChunk};
}

bool TMemoryTransfer::StepAndCheck(uint32_t done, uint32_t total, uint32_t step) {
    const uint32_t reached = done == total ? total : done / step * step;
    if (reached > 0)
        TellProgress(reached, total);
    return Aborted();
}

TMemoryTransfer::TResult TMemoryTransfer::Exchanges(uint32_t count, const TPlan& plan,
                                                    const Exchange& exchange,
                                                    const LeftBehind& left) {
    TResult result{.total = count};
    if (plan.ping && !board.Ping()) {
        result.outcome = Outcome::NotAnswering;
        return result;
    }
    const uint32_t most = MostPerExchange(plan);
    const uint32_t step = std::max(plan.step, 1u);
    while (result.done < count) {
        if (plan.askFirst && Aborted()) {
            result.outcome = Outcome::Aborted;
            break;
        }
        const uint32_t n = std::min(most, count - result.done);
        result.outcome = exchange(result.done, n);
        for (int i = 1; i < plan.tries && result.outcome == Outcome::LinkFailed; ++i)
            result.outcome = exchange(result.done, n);
        if (result.outcome == Outcome::LinkFailed && left) {
            const bool goOn = left(result.done, n);
            result.done += n;
            if (!goOn) {
                if (result.done < count)
                    left(result.done, count - result.done);
                break;
            }
            result.outcome = Outcome::Done;
            continue;
        }
        if (result.outcome != Outcome::Done)
            break;
        result.done += n;
        if (plan.askFirst) {
            TellProgress(result.done, count);
        } else if (StepAndCheck(result.done, count, step)) {
            result.outcome = Outcome::Aborted;
            break;
        }
    }
    return result;
}

TMemoryTransfer::TResult TMemoryTransfer::Read(const TMemory& memory, uint32_t address,
                                               uint32_t count, const TPlan& plan,
                                               const Sink& sink) {
    std::vector<uint8_t> chunk(std::min(MostPerExchange(plan), count));
    return Exchanges(count, plan, [&](uint32_t offset, uint32_t n) {
        if (!board.ReadMemory(memory.code, address + offset, n, chunk.data()))
            return Outcome::LinkFailed;
        return sink(chunk.data(), n) ? Outcome::Done : Outcome::SinkFailed;
    });
}

TMemoryTransfer::TResult TMemoryTransfer::ReadInto(const TMemory& memory, uint32_t address,
                                                   uint32_t count, const TPlan& plan,
                                                   uint8_t* out) {
    return Read(memory, address, count, plan, [&](const uint8_t* data, uint32_t n) {
        out = std::copy(data, data + n, out);
        return true;
    });
}

TMemoryTransfer::TResult TMemoryTransfer::ReadToFile(const TMemory& memory, uint32_t address,
                                                     uint32_t count, const TPlan& plan,
                                                     TContentEncoder& encoder,
                                                     const FileWriter& write) {
    const auto put = [&](const std::string& text) { return write(text.data(), text.size()); };
    TResult result = Read(memory, address, count, plan, [&](const uint8_t* data, uint32_t n) {
        return put(encoder.Add(data, n));
    });
    if (result.Ok() && !put(encoder.Finish()))
        result.outcome = Outcome::SinkFailed;
    return result;
}

TMemoryTransfer::TResult TMemoryTransfer::Write(const TMemory& memory, uint32_t address,
                                                const uint8_t* data, uint32_t count,
                                                const TPlan& plan, const LeftBehind& left) {
    const auto exchange = [&](uint32_t offset, uint32_t n) {
        if (plan.ping) {
            if (!board.Ping())
                return Outcome::LinkFailed;
            // The front end gets its turn between the two exchanges as well.
            if (Aborted())
                return Outcome::Aborted;
        }
        return board.WriteMemory(memory.code, address + offset, n, data + offset)
                   ? Outcome::Done
                   : Outcome::LinkFailed;
    };
    return Exchanges(count, plan, exchange, left);
}

TMemoryTransfer::TResult TMemoryTransfer::Verify(const TMemory& memory, uint32_t address,
                                                 const uint8_t* data, uint32_t count,
                                                 const TPlan& plan) {
    uint32_t offset = 0;
    uint8_t boardByte = 0;
    TResult result = Read(memory, address, count, plan, [&](const uint8_t* got, uint32_t n) {
        const auto [mine, theirs] = std::mismatch(got, got + n, data + offset);
        if (mine != got + n) {
            offset += static_cast<uint32_t>(mine - got);
            boardByte = *mine;
            return false;
        }
        offset += n;
        return true;
    });
    if (result.outcome == Outcome::SinkFailed) {
        result.outcome = Outcome::Differs;
        result.done = offset;
        result.boardByte = boardByte;
        result.expectedByte = data[offset];
    }
    return result;
}

std::string TMemoryTransfer::EraseFailure(const TResult& r) {
    switch (r.outcome) {
    case Outcome::BadStepCount:
        return fmt::format("the board reports {} erase steps for the flash; it can have 1 to {}",
                           r.total, kMaxEraseSteps);
    case Outcome::Refused:
        return fmt::format("the board refused erase step {} of {}; the flash is partly erased",
                           r.done, r.total);
    default:
        return fmt::format("the link failed at erase step {} of {}; the flash is partly erased",
                           r.done, r.total);
    }
}

TMemoryTransfer::TResult TMemoryTransfer::Erase() {
    const uint32_t start = platform::GetTickCount();
    TResult result = EraseSteps();
    result.elapsedMs = platform::GetTickCount() - start;
    return result;
}

bool TMemoryTransfer::EraseStep(TBoard& board, uint16_t step, bool& done) {
    std::lock_guard<std::recursive_mutex> lock(board.Lock);
    return board.StartErase(done, step);
}

TMemoryTransfer::TResult TMemoryTransfer::EraseSteps() {
    TResult result;
    const uint32_t steps = board.QueryEraseStatus();
    result.total = steps;
    if (!EraseStepCountValid(steps)) {
        result.outcome = Outcome::BadStepCount;
        return result;
    }
    for (uint32_t i = 0; i < steps; ++i) {
        bool done = false;
        const bool ok = EraseStep(board, static_cast<uint16_t>(i), done);
        result.stepFailed = !ok || !done;
        if (!result.stepFailed)
            result.done = i + 1;
        TellProgress(i + 1, steps);
        // An Abort seen now wins over the step's failure: the user asked to stop.
        if (Aborted())
            result.outcome = Outcome::Aborted;
        else if (result.stepFailed)
            result.outcome = ok ? Outcome::Refused : Outcome::LinkFailed;
        if (result.outcome != Outcome::Done)
            return result;
    }
    return result;
}
