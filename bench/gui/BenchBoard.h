#pragma once
// What the panel's benchmarks run against, and how they take the CPU a page
// costs while it watches an idle board.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/BenchStats.h"
#include "board/Board.h"
#include "tests/support/TestVBoard.h"

// A configured virtual board of the benchmark's own, in a private runtime
// directory so that no lock or board of the user's is touched; the offscreen
// platform unless the caller chose another.
class TBenchBoard {
  public:
    TBenchBoard() : vboard(StartIn(runtime)) {}

    const TestVBoard& VBoard() const { return *vboard; }
    const TempDir& Runtime() const { return runtime; }

    // Connects `session`; false, having said why, when the board does not answer.
    bool Connect(TBoard& session, const char* bench) const {
        std::string error;
        if (session.Connect(error, 0))
            return true;
        std::fprintf(stderr, "%s: cannot connect to the virtual board: %s\n", bench, error.c_str());
        return false;
    }

    // A real, sleeping event loop, as the panel runs it.
    static void RunEventsFor(int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    // The share of one core this process takes while its event loop runs for
    // `ms`. The first paints and layouts of a page just shown, and its first
    // polls, run in a warm-up before the clock starts: they are paid once,
    // not for every second of watching.
    static double IdleCpuPercent(int ms) {
        RunEventsFor(kWarmUpMs);
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = bench::CpuSeconds();
        RunEventsFor(ms);
        return 100.0 * (bench::CpuSeconds() - cpu0) / (static_cast<double>(wall.nsecsElapsed()) / 1e9);
    }
    static constexpr int kWarmUpMs = 500;

    // The same for an event loop that only wakes every `periodMs`, doing
    // nothing: what any poll at that period costs on this machine before it
    // has done any work. It shows how much of a page's figure is the
    // machine's price of a wake-up.
    static double BareTimerCpuPercent(int periodMs, int ms) {
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [&] { timer.start(periodMs); });
        timer.start(periodMs);
        return IdleCpuPercent(ms);
    }

  private:
    static std::unique_ptr<TestVBoard> StartIn(const TempDir& runtime) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
        return std::make_unique<TestVBoard>(true);
    }

    TempDir runtime;
    std::unique_ptr<TestVBoard> vboard;
};
