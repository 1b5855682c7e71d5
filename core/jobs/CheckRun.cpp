#include "core/jobs/CheckRun.h"

#include <thread>

#include "board/Board.h"
#include "core/DeviceWatch.h"
#include "core/Host.h"

using kbr::TDeviceWatch;

TCheckRun::TCheckRun(TBoard& board, const TOptions& options, THost& host, TSelfTestReport& report,
                     CheckDone each)
    : board(board), options(options), host(host), report(report), checkDone(std::move(each)) {}

uint32_t TCheckRun::MsSince(Clock::time_point start) {
    return uint32_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

void TCheckRun::Add(TCheckResult result) {
    if (checkDone)
        checkDone(result);
    report.checks.push_back(std::move(result));
}

void TCheckRun::LeftChanged(const std::vector<TPatternRange>& ranges) {
    report.unrestored.insert(report.unrestored.end(), ranges.begin(), ranges.end());
}

void TCheckRun::Note(bool lost, bool stopped) {
    linkLost = linkLost || lost;
    aborted = aborted || stopped;
}

bool TCheckRun::StopAsked() {
    aborted = aborted || host.StopRequested();
    return aborted;
}

bool TCheckRun::Check(const std::string& area, const std::string& name, const Body& body) {
    StopAsked();
    if (Stopped())
        return false;
    TCheckResult result;
    result.area = area;
    result.name = name;
    const Clock::time_point start = Clock::now();
    body(result);
    result.durationMs = MsSince(start);
    Add(std::move(result));
    return !Stopped();
}

bool TCheckRun::Answered(bool ok, TCheckResult& result, const std::string& what) {
    if (ok)
        return true;
    result.result = TResult::Failed;
    if (!board.Ping()) {
        linkLost = true;
        result.message = "The link was lost: " + what + ".";
    } else {
        result.message = what + ".";
    }
    return false;
}

void TCheckRun::Pause(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void TCheckRun::Verdict(TCheckResult& result, const std::string& question) {
    if (!options.interactive) {
        result.result = TResult::Skipped;
        result.message = std::string(kNeedsPerson) + "; " + result.message;
        return;
    }
    result.details.emplace_back("question", question);
    const bool yes = host.Ask(question);
    // A stop while the person was asked is no answer.
    if (host.StopRequested()) {
        aborted = true;
        result.result = TResult::Skipped;
        result.message = "Stopped before it was answered.";
        return;
    }
    if (yes) {
        result.details.emplace_back("answer", "yes");
    } else {
        result.details.emplace_back("answer", "no");
        result.result = TResult::Failed;
        result.message = "The person did not see it: " + result.message;
    }
}

void TCheckRun::Monitoring(const std::string& area, uint8_t channel, const char* refused) {
    Check(area, "monitoring mode", [&](TCheckResult& r) {
        using TOutcome = TDeviceWatch::TOutcome;
        TDeviceWatch watch(board, channel);
        const TOutcome started = watch.Start();
        if (!Answered(started != TOutcome::LinkFailed, r, "switching monitoring on failed"))
            return;
        // Switched off also when it was refused: nothing stays on behind us.
        const TOutcome stopped = watch.Stop();
        if (!Answered(stopped != TOutcome::LinkFailed, r, "switching monitoring off failed"))
            return;
        const bool on = started == TOutcome::Ok, off = stopped == TOutcome::Ok;
        r.message = "monitoring mode accepted and switched off again";
        if (!on || !off) {
            r.result = TResult::Failed;
            r.message = on ? "the board refused to switch monitoring off" : refused;
        }
    });
}
