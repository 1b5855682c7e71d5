// The switches page's polling against a virtual board: the period between
// ticks (target: the 100 ms interval plus one exchange, never two ticks in
// flight) and the time from `set inputs` on the board to the new picture on
// the page's canvas (target: 99th percentile <= 120 ms).
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchStats.h"
#include "bench/gui/BenchBoard.h"
#include "board/Board.h"
#include "pages/DialogRecorder.h"
#include "pages/Dialogs.h"
#include "pages/FormButton.h"
#include "pages/PollTimer.h"
#include "skin/SkinResources.h"

namespace {

using bench::Percentile;

void PumpOnce() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    QThread::usleep(200);
}

// Tick start and end times, seen from the poll timer's own QTimer: an event
// filter runs before the tick, a second timeout slot right after it.
class TickRecorder : public QObject {
  public:
    explicit TickRecorder(QTimer* timer) {
        clock.start();
        timer->installEventFilter(this);
        connect(timer, &QTimer::timeout, this, [this] {
            ends.push_back(Now());
            --inFlight;
        });
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Timer) {
            starts.push_back(Now());
            maxInFlight = std::max(maxInFlight, ++inFlight);
        }
        return false;
    }
    double Now() const { return static_cast<double>(clock.nsecsElapsed()) / 1e6; }

    QElapsedTimer clock;
    std::vector<double> starts, ends;
    int inFlight = 0;
    int maxInFlight = 0;
};

bool SwitchShows(TFormButton& page, int n, const QImage& sprite) {
    const QPoint at = TFormButton::SwitchPos(n) + QPoint(sprite.width() / 2, 10);
    return (page.GetCanvas().Image().pixel(at) | 0xFF000000u) ==
           (sprite.pixel(sprite.width() / 2, 10) | 0xFF000000u);
}

} // namespace

int main(int argc, char** argv) {
    setenv("KBR370_VBOARD_CONFIGURE_MS", "50", 1);
    TBenchBoard board;
    const TestVBoard& vboard = board.VBoard();
    QApplication app(argc, argv);
    SetDialogs(std::make_unique<TDialogRecorder>());

    TBoard session;
    if (!board.Connect(session, "kbr370_switches_bench"))
        return 1;
    TFormButton page(nullptr);
    page.RepaintNow();
    auto* pollTimer = page.findChild<TPollTimer*>();
    TickRecorder ticks(pollTimer->findChild<QTimer*>());
    page.AttachBoard(&session);

    // Period: at least 200 ticks with nothing changing.
    constexpr size_t kTicks = 220;
    while (ticks.starts.size() < kTicks + 1)
        PumpOnce();
    std::vector<double> periods, exchanges;
    for (size_t i = 1; i < ticks.starts.size(); ++i)
        periods.push_back(ticks.starts[i] - ticks.starts[i - 1]);
    for (size_t i = 0; i < std::min(ticks.starts.size(), ticks.ends.size()); ++i)
        exchanges.push_back(ticks.ends[i] - ticks.starts[i]);

    // CPU on an idle board, with the event loop waiting as it does in the panel.
    const double idleCpuPercent = TBenchBoard::IdleCpuPercent(3000);

    // Latency: SW0 flipped on the board until its new picture is on the canvas.
    const QImage up = LoadSkinBitmap("SW_UP").convertToFormat(QImage::Format_RGB32);
    const QImage down = LoadSkinBitmap("SW_DOWN").convertToFormat(QImage::Format_RGB32);
    constexpr int kChanges = 100;
    std::vector<double> latencies;
    bool timedOut = false;
    for (int i = 0; i < kChanges && !timedOut; ++i) {
        const bool on = i % 2 == 0;
        QElapsedTimer clock;
        clock.start();
        vboard.CtlOk(on ? "set inputs 0x10" : "set inputs 0x0");
        while (!SwitchShows(page, 0, on ? down : up)) {
            if (clock.elapsed() > 2000) {
                timedOut = true;
                break;
            }
            PumpOnce();
        }
        latencies.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        // Start the next change at a varying point of the polling period.
        const qint64 pause = 20 + (i * 37) % 100;
        QElapsedTimer rest;
        rest.start();
        while (rest.elapsed() < pause)
            PumpOnce();
    }
    page.DetachBoard();
    session.Disconnect();

    const double periodP99 = Percentile(periods, 0.99);
    const double exchangeMedian = Percentile(exchanges, 0.5);
    const double latencyP99 = Percentile(latencies, 0.99);
    std::printf("kbr370_switches_bench (switches page, %zu ticks, %zu changes)\n", periods.size(),
                latencies.size());
    std::printf("  polling period, median    : %8.1f ms  (100 ms + one exchange)\n",
                Percentile(periods, 0.5));
    std::printf("  polling period, min / p99 : %8.1f / %.1f ms\n", Percentile(periods, 0), periodP99);
    std::printf("  one tick (exchange), median: %7.2f ms\n", exchangeMedian);
    std::printf("  ticks in flight, at most  : %8d     (target 1)          %s\n", ticks.maxInFlight,
                ticks.maxInFlight == 1 ? "ok" : "MISSED");
    std::printf("  set inputs -> canvas, median: %6.1f ms\n", Percentile(latencies, 0.5));
    std::printf("  set inputs -> canvas, p99 : %8.1f ms  (target <= 120 ms)  %s\n", latencyP99,
                !timedOut && latencyP99 <= 120 ? "ok" : "MISSED");
    std::printf("  CPU, idle board           : %8.2f %% of one core  (target <= 0.5 %%)  %s\n",
                idleCpuPercent, idleCpuPercent <= 0.5 ? "ok" : "MISSED");
    SetDialogs(nullptr);
    return 0;
}
