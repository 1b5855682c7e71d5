// The monitor pages (PS/2, RS232, IR) against a virtual board: the measured
// polling period, the time from a push on the board to the changed pixels on
// screen, the panel's CPU use while a page watches an idle board, and what a
// receive box append costs after an hour of text at the board's full rate.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchStats.h"
#include "bench/gui/BenchBoard.h"
#include "board/Board.h"
#include "core/devices/Devices.h"
#include "core/devices/IrCodes.h"
#include "pages/DeviceMonitor.h"
#include "pages/DialogRecorder.h"
#include "pages/Dialogs.h"
#include "pages/FormIR.h"
#include "pages/FormPS2.h"
#include "pages/FormRS232.h"
#include "skin/TextLog.h"

namespace {

using bench::Percentile;

// Notes the first paint of a widget at which `shows` holds: the pixels on
// screen then carry the change.
class PaintWatch : public QObject {
  public:
    PaintWatch(QWidget* widget, std::function<bool()> shows)
        : QObject(widget), shows(std::move(shows)) {
        widget->installEventFilter(this);
    }
    bool seen = false;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen && shows())
            seen = true;
        return false;
    }

  private:
    std::function<bool()> shows;
};

struct Figures {
    double exchangeMedian = 0, exchangeP99 = 0;
    double periodMedian = 0, periodP99 = 0;
    size_t polls = 0;
    double latencyMedian = 0, latencyP99 = 0;
    size_t trials = 0;
    double cpuPercent = 0;
    double bareTimerPercent = 0;
};

// Times the polls of an attached page for `ms`, and the CPU it takes
// meanwhile; and one exchange on its own.
void MeasureIdle(TDeviceMonitor& monitor, int ms, Figures& f) {
    std::vector<double> exchanges;
    for (int i = 0; i < 100; ++i) {
        QElapsedTimer clock;
        clock.start();
        monitor.Read();
        exchanges.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    f.exchangeMedian = Percentile(exchanges, 0.5);
    f.exchangeP99 = Percentile(exchanges, 0.99);
    std::vector<double> stamps;
    QElapsedTimer clock;
    clock.start();
    monitor.OnPolled = [&] { stamps.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6); };
    f.cpuPercent = TBenchBoard::IdleCpuPercent(ms);
    monitor.OnPolled = {};
    std::vector<double> periods;
    for (size_t i = 1; i < stamps.size(); ++i)
        periods.push_back(stamps[i] - stamps[i - 1]);
    f.polls = stamps.size();
    f.periodMedian = Percentile(periods, 0.5);
    f.periodP99 = Percentile(periods, 0.99);
    monitor.StartPolling(false);
    f.bareTimerPercent =
        TBenchBoard::BareTimerCpuPercent(static_cast<int>(f.periodMedian + 0.5), 2000);
    monitor.StartPolling(true);
}

// Pushes with `push(i)`, then runs events until the widget paints with
// `changed(i)` holding; the times from push to that paint.
void MeasureLatency(QWidget* painted, int trials, int pauseMs, const std::function<void(int)>& push,
                    const std::function<bool(int)>& changed, Figures& f) {
    std::vector<double> times;
    for (int i = 0; i < trials; ++i) {
        TBenchBoard::RunEventsFor(pauseMs);
        PaintWatch watch(painted, [&, i] { return changed(i); });
        push(i);
        QElapsedTimer clock;
        clock.start();
        while (!watch.seen && clock.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    f.trials = times.size();
    f.latencyMedian = Percentile(times, 0.5);
    f.latencyP99 = Percentile(times, 0.99);
}

void Print(const char* page, int interval, double cpuTarget, const Figures& f) {
    // One tick in flight at a time: the period is the interval plus the
    // exchange. Qt's coarse timers may fire up to 5 % of the interval early or
    // late, and a wake-up may add a millisecond or two.
    const bool periodOk = f.periodMedian <= interval * 1.05 + f.exchangeMedian + 2 &&
                          f.periodMedian >= interval * 0.95;
    const bool latencyOk = f.latencyP99 <= interval + 20;
    std::printf("  %-5s one exchange    : median %6.2f ms, p99 %6.2f ms\n", page, f.exchangeMedian,
                f.exchangeP99);
    std::printf("  %-5s polling period  : median %6.2f ms, p99 %6.2f ms over %zu polls"
                "  (target: %d ms + one exchange)  %s\n",
                page, f.periodMedian, f.periodP99, f.polls, interval, periodOk ? "ok" : "MISSED");
    std::printf("  %-5s push -> pixels  : median %6.2f ms, p99 %6.2f ms over %zu pushes"
                "  (target p99 <= %d ms)  %s\n",
                page, f.latencyMedian, f.latencyP99, f.trials, interval + 20,
                latencyOk ? "ok" : "MISSED");
    std::printf("  %-5s CPU, idle board : %6.2f %% of one core  (target <= %.1f %%)  %s\n", page,
                f.cpuPercent, cpuTarget, f.cpuPercent <= cpuTarget ? "ok" : "MISSED");
    std::printf("  %-5s CPU, bare timer : %6.2f %% of one core  (an empty wake-up at the same "
                "period)\n",
                page, f.bareTimerPercent);
}

// One page's figures: shown and attached, `start` run (when given), timed
// idle for `idleMs`, then `latency` measures it before it is detached.
template <typename Page>
Figures BenchPage(TBoard& session, int idleMs, const std::function<void(Page&)>& start,
                  const std::function<void(Page&, Figures&)>& latency) {
    Figures f;
    Page page(nullptr);
    page.show();
    page.AttachBoard(&session);
    if (start)
        start(page);
    MeasureIdle(page.Monitor(), idleMs, f);
    latency(page, f);
    page.DetachBoard();
    return f;
}

Figures BenchPs2(TBoard& session, const TestVBoard& vb) {
    return BenchPage<TFormPS2>(
        session, 4000, [](TFormPS2& page) { page.ButtonStartClick(); },
        [&](TFormPS2& page, Figures& f) {
            int x = page.Pointer().x;
            MeasureLatency(
                &page, 60, 15,
                [&](int i) {
                    vb.CtlOk(i % 2 ? "ps2 push 08EC0000" : "ps2 push 08140000"); // 20 left or right
                    x += i % 2 ? -20 : 20;
                },
                [&](int) { return page.Pointer().x == x; }, f);
        });
}

Figures BenchIr(TBoard& session, const TestVBoard& vb) {
    static const uint8_t kCodes[] = {0x0F, 0x13, 0x10, 0x12, 0x01, 0x02, 0x03, 0x1A};
    return BenchPage<TFormIR>(session, 4000, {}, [&](TFormIR& page, Figures& f) {
        MeasureLatency(
            &page, 40, 60,
            [&](int i) {
                char command[32];
                std::snprintf(command, sizeof command, "ir push %02X", kCodes[i % 8]);
                vb.CtlOk(command);
            },
            [&](int i) {
                // The ring of the pressed key at full brightness.
                const TKeyRect r = IrKeyRect(i % 8);
                return page.GetCanvas().Pixel(r.left + 1, r.top + 9) == QColor(255, 255, 0);
            },
            f);
    });
}

Figures BenchRs232(TBoard& session, const TestVBoard& vb) {
    return BenchPage<TFormRS232>(session, 5000, {}, [&](TFormRS232& page, Figures& f) {
        MeasureLatency(
            page.EditRx->viewport(), 30, 30, [&](int) { vb.CtlOk("rs232 push 78"); },
            [&](int i) { return page.EditRx->Text().size() == i + 1; }, f);
    });
}

// An hour at 128 bytes every 100 ms is 36000 appends; the last ones must cost
// what the first ones did.
void BenchLongReceive() {
    // The page's own box, with its written-out control bytes.
    TFormRS232 page(nullptr);
    page.show();
    TTextLog& log = *page.EditRx;
    QString piece;
    // No line feeds: the worst case, one ever longer line. An ESC, and a CR
    // at the end that is laid out again when the next piece comes.
    for (int i = 0; i < 126; ++i)
        piece += QChar(char16_t('a' + i % 26));
    piece += u"\x1B\r";
    auto appendAndPaint = [&] {
        QElapsedTimer clock;
        clock.start();
        log.Append(piece);
        log.viewport()->repaint();
        return static_cast<double>(clock.nsecsElapsed()) / 1e6;
    };
    std::vector<double> first, last;
    for (int i = 0; i < 36000; ++i) {
        if (i < 200)
            first.push_back(appendAndPaint());
        else if (i >= 36000 - 200)
            last.push_back(appendAndPaint());
        else
            log.Append(piece);
    }
    const double p99 = Percentile(last, 0.99);
    std::printf("  RS232 append + repaint, first 200 polls: p99 %6.3f ms; after an hour "
                "(%.1f MB): p99 %6.3f ms  (target well under 1 ms)  %s\n",
                Percentile(first, 0.99), static_cast<double>(log.Text().size()) / 1e6, p99,
                p99 < 1.0 ? "ok" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    TBenchBoard board;
    QApplication app(argc, argv);
    SetDialogs(std::make_unique<TDialogRecorder>());

    TBoard session;
    if (!board.Connect(session, "kbr370_monitor_bench"))
        return 1;
    const TestVBoard& vb = board.VBoard();
    std::printf("kbr370_monitor_bench (one page at a time on a virtual board)\n");
    Print("PS/2", kbr::devices::kPs2.pollMs, 1.0, BenchPs2(session, vb));
    Print("IR", kbr::devices::kIr.pollMs, 0.5, BenchIr(session, vb));
    Print("RS232", kbr::devices::kRs232.pollMs, 0.5, BenchRs232(session, vb));
    BenchLongReceive();
    session.Disconnect();
    SetDialogs(nullptr);
    return 0;
}
