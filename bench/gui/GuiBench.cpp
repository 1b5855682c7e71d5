// GUI timings: process start to the window shown, process start to
// "Connected" with a configured virtual board (the 300 ms start-up timer
// included), and one full repaint of the main window.
#include <QApplication>
#include <QElapsedTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/FormMain.h"
#include "bench/BenchStats.h"
#include "pages/DialogRecorder.h"
#include "pages/Dialogs.h"
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
};

// One run of the real panel in test mode; it quits after connecting.
StartTimes RunPanelOnce(const TempDir& scratch, int run) {
    const std::string log = scratch.File("panel-" + std::to_string(run) + ".log");
    const int64_t start = NowMs();
    pid_t pid = fork();
    if (pid == 0) {
        setenv("KBR370_PANEL_TEST_LOG", log.c_str(), 1);
        setenv("KBR370_PANEL_TEST_QUIT", "1", 1);
        const std::string exe = TestVBoard::BinDir() + "/kbr370-panel";
        execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    StartTimes t;
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

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    TestVBoard board(true);

    const int runs = 5;
    std::vector<double> shown, connected;
    for (int i = 0; i < runs; ++i) {
        StartTimes t = RunPanelOnce(runtime, i);
        if (t.shown >= 0)
            shown.push_back(t.shown);
        if (t.connected >= 0)
            connected.push_back(t.connected);
    }

    QApplication app(argc, argv);
    SetDialogs(std::make_unique<TDialogRecorder>());
    const double repaint = RepaintMedianMs(200);

    std::printf("kbr370_gui_bench (%d panel runs, medians)\n", runs);
    std::printf("  start -> window shown     : %8.1f ms  (%zu/%d runs)\n", Median(shown),
                shown.size(), runs);
    std::printf(
        "  start -> \"Connected\"      : %8.1f ms  (target <= 700 ms)  %s\n", Median(connected),
        static_cast<int>(connected.size()) == runs && Median(connected) <= 700 ? "ok" : "MISSED");
    std::printf("  full repaint, main window : %8.3f ms  (target < 5 ms)     %s\n", repaint,
                repaint < 5.0 ? "ok" : "MISSED");
    SetDialogs(nullptr);
    return 0;
}
