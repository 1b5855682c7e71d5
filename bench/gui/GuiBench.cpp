// GUI timings: process start to the window shown, process start to
// "Connected" with a configured virtual board (the 300 ms start-up timer
// included), and one full repaint of the main window. Memory: the panel's peak
// at scale 1 and 2, and what the 2x pictures hold in a process at 1x.
#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QResource>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <fcntl.h>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/FormMain.h"
#include "bench/BenchStats.h"
#include "bench/gui/BenchBoard.h"
#include "pages/DialogRecorder.h"
#include "pages/Dialogs.h"
#include "app/PageTable.h"
#include "pages/Page.h"
#include "skin/SkinResources.h"
#include "tests/support/TestVBoard.h"

namespace {

using bench::Median;

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// First time stamp of a log line of `kind` (and `text`, when given); -1 if none.
int64_t Stamp(const std::string& log, const std::string& kind, const std::string& text = "") {
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        std::stringstream ss(line);
        std::string ms, k, t;
        std::getline(ss, ms, '\t');
        std::getline(ss, k, '\t');
        std::getline(ss, t, '\t');
        if (k == kind && (text.empty() || t == text))
            return std::stoll(ms);
    }
    return -1;
}

struct StartTimes {
    double shown = -1;
    double connected = -1;
    double peakMiB = -1;
};

// One run of the real panel in test mode at a scale factor; it quits after connecting.
StartTimes RunPanelOnce(const TempDir& scratch, int run, const char* scale = "1") {
    const std::string log = scratch.File("panel-" + std::to_string(run) + ".log");
    const int64_t start = NowMs();
    pid_t pid = fork();
    if (pid == 0) {
        setenv("KBR370_PANEL_TEST_LOG", log.c_str(), 1);
        setenv("KBR370_PANEL_TEST_QUIT", "1", 1);
        setenv("QT_SCALE_FACTOR", scale, 1);
        const std::string exe = TestVBoard::BinDir() + "/kbr370-panel";
        execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage use{};
    wait4(pid, &status, 0, &use);
    StartTimes t;
    t.peakMiB = static_cast<double>(use.ru_maxrss) / 1024.0;
    if (int64_t s = Stamp(log, "shown"); s >= 0)
        t.shown = static_cast<double>(s - start);
    if (int64_t c = Stamp(log, "status", "Connected"); c >= 0)
        t.connected = static_cast<double>(c - start);
    return t;
}

double RepaintMedianMs(int rounds) {
    TFormMain form;
    form.show();
    QCoreApplication::processEvents();
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        form.Invalidate();
        form.repaint();
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    return Median(times);
}

struct Skin2xMemory {
    double mappedMiB = -1;
    double decodedMiB = -1;
};

// What the 2x pictures hold in this process: the pages of their PNG data in
// the program image that are resident here (bit 63 of /proc/self/pagemap; an
// upper bound, as reading each picture's size header lets the kernel map its
// neighbours too), and whatever was decoded of them.
Skin2xMemory Skin2xResident() {
    const long page = sysconf(_SC_PAGESIZE);
    std::set<uintptr_t> pages;
    const int map = open("/proc/self/pagemap", O_RDONLY);
    QDirIterator it(QStringLiteral(":/skin2x"), QDir::Files);
    while (map >= 0 && it.hasNext()) {
        const QResource r(it.next());
        const auto from = reinterpret_cast<uintptr_t>(r.data());
        for (uintptr_t p = from / page * page; p < from + r.size(); p += page) {
            uint64_t entry = 0;
            const off_t at = static_cast<off_t>(p / page * sizeof entry);
            if (pread(map, &entry, sizeof entry, at) == sizeof entry && (entry >> 63) != 0)
                pages.insert(p);
        }
    }
    if (map >= 0)
        close(map);
    constexpr double kMiB = 1024.0 * 1024.0;
    return {static_cast<double>(pages.size()) * static_cast<double>(page) / kMiB,
            static_cast<double>(SkinBitmaps2xDecodedBytes()) / kMiB};
}

// Every page of the main window shown and painted once, at this process's scale.
void ShowEveryPage(TFormMain& form) {
    form.show();
    form.repaint();
    for (int kind = 0; kind < kPageCount; ++kind) {
        TPage* page = form.Page(kind);
        page->show();
        page->repaint();
        page->hide();
    }
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char** argv) {
    TBenchBoard board;
    const TempDir& runtime = board.Runtime();

    const int runs = 5;
    std::vector<double> shown, connected;
    for (int i = 0; i < runs; ++i) {
        StartTimes t = RunPanelOnce(runtime, i);
        if (t.shown >= 0)
            shown.push_back(t.shown);
        if (t.connected >= 0)
            connected.push_back(t.connected);
    }

    const StartTimes at2x = RunPanelOnce(runtime, runs, "2");
    std::vector<double> peak;
    for (int i = 0; i < runs; ++i)
        peak.push_back(RunPanelOnce(runtime, runs + 1 + i).peakMiB);

    QApplication app(argc, argv);
    SetDialogs(std::make_unique<TDialogRecorder>());
    const double repaint = RepaintMedianMs(200);
    Skin2xMemory skin2x;
    {
        TFormMain form;
        ShowEveryPage(form);
        skin2x = Skin2xResident();
    }
    const double skin2xMiB = skin2x.mappedMiB + skin2x.decodedMiB;

    std::printf("kbr370_gui_bench (%d panel runs, medians)\n", runs);
    std::printf("  start -> window shown     : %8.1f ms  (%zu/%d runs)\n", Median(shown),
                shown.size(), runs);
    std::printf(
        "  start -> \"Connected\"      : %8.1f ms  (target <= 700 ms)  %s\n", Median(connected),
        static_cast<int>(connected.size()) == runs && Median(connected) <= 700 ? "ok" : "MISSED");
    std::printf("  full repaint, main window : %8.3f ms  (target < 5 ms)     %s\n", repaint,
                repaint < 5.0 ? "ok" : "MISSED");
    std::printf("  peak resident, panel at 1x: %8.1f MiB\n", Median(peak));
    std::printf("  peak resident, panel at 2x: %8.1f MiB\n", at2x.peakMiB);
    std::printf("  2x pictures resident at 1x: %8.1f MiB (target <= 8 MiB)   %s\n", skin2xMiB,
                skin2x.mappedMiB >= 0 && skin2xMiB <= 8 ? "ok" : "MISSED");
    std::printf("    of which PNG data mapped: %7.1f MiB, decoded: %.1f MiB\n", skin2x.mappedMiB,
                skin2x.decodedMiB);
    SetDialogs(nullptr);
    return 0;
}
