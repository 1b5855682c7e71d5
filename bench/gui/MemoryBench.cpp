// Memory page transfers (not a test): a 128 MiB SDRAM save to .hex and a
// 16 MiB write through the page against kbr370 doing the same, the paced
// efficiency with `link rate 1000000`, the peak memory of the save above the
// panel's idle size, and the longest gap between two event-loop passes while
// a paced transfer runs.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/gui/BenchBoard.h"
#include "board/Board.h"
#include "pages/DialogRecorder.h"
#include "pages/Dialogs.h"
#include "pages/FormMemory.h"
#include "tests/support/TestVBoard.h"

namespace {

// kB of a /proc/self/status line ("VmRSS", "VmHWM").
long StatusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string want = std::string(key) + ":";
    while (std::getline(in, line))
        if (line.rfind(want, 0) == 0)
            return std::atol(line.c_str() + want.size());
    return -1;
}

// Runs kbr370 with the arguments; seconds it took, or -1 on failure.
double RunCli(const std::vector<std::string>& args) {
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        const std::string exe = TestVBoard::BinDir() + "/kbr370";
        argv.push_back(const_cast<char*>(exe.c_str()));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        freopen("/dev/null", "w", stdout);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? clock.elapsed() / 1000.0 : -1;
}

struct TBenchPage {
    TBoard session;
    TFormMemory page{nullptr};
    TDialogRecorder* dialogs;

    explicit TBenchPage(TDialogRecorder* d) : dialogs(d) {
        std::string error;
        if (!session.Connect(error, 0))
            std::fprintf(stderr, "connect failed: %s\n", error.c_str());
        page.AttachBoard(&session);
    }
    ~TBenchPage() { page.DetachBoard(); }

    double Save(int index, const std::string& path, const char* address, const char* words) {
        page.ComboBoxMemType->setCurrentIndex(index);
        page.CheckBoxMemReadEntireMem->setChecked(false);
        page.EditMemReadAddr->setText(address);
        page.EditMemReadLen->setText(words);
        dialogs->FileAnswers.push_back(path);
        QElapsedTimer clock;
        clock.start();
        page.ButtonMemRead2FileClick();
        return clock.elapsed() / 1000.0;
    }
    double Write(int index, const std::string& path) {
        page.ComboBoxMemType->setCurrentIndex(index);
        page.CheckBoxMemWriteFileLen->setChecked(true);
        page.EditMemWriteAddr->setText("0");
        dialogs->FileAnswers.push_back(path);
        QElapsedTimer clock;
        clock.start();
        page.ButtonMemWrite2FMemClick();
        return clock.elapsed() / 1000.0;
    }
};

// The longest time between two passes of the event loop while it runs.
class TGapWatch {
  public:
    TGapWatch() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.nsecsElapsed();
            if (last >= 0 && now - last > longest)
                longest = now - last;
            last = now;
        });
        clock.start();
        timer.start(0);
    }
    double LongestMs() const { return longest / 1e6; }

  private:
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = -1;
    qint64 longest = 0;
};

const char* Mark(bool ok) {
    return ok ? "ok" : "MISSED";
}

} // namespace

int main(int argc, char** argv) {
    TBenchBoard board;
    const TestVBoard& vboard = board.VBoard();
    TempDir scratch;
    QApplication app(argc, argv);
    auto recorder = std::make_unique<TDialogRecorder>();
    TDialogRecorder* dialogs = recorder.get();
    SetDialogs(std::move(recorder));

    const std::string hex = scratch.File("sdram.hex");
    const std::string cliHex = scratch.File("cli.hex");
    const std::string image = scratch.File("image.bin");
    {
        std::ofstream out(image, std::ios::binary);
        std::string block(1 << 20, '\0');
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>(i * 7);
        for (int i = 0; i < 16; ++i)
            out << block;
    }

    double pageSave, pageWrite, keepAliveMs;
    long idleKb, peakKb;
    {
        TBenchPage p(dialogs);
        QCoreApplication::processEvents();
        // The page's idle size; the peak is measured from here on.
        idleKb = StatusKb("VmRSS");
        std::ofstream("/proc/self/clear_refs") << "5";
        pageSave = p.Save(2, hex, "0", "4000000");
        peakKb = StatusKb("VmHWM");
        std::remove(hex.c_str());
        pageWrite = p.Write(2, image);
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 200; ++i)
            p.session.Ping();
        keepAliveMs = clock.nsecsElapsed() / 1e6 / 200;
    }
    const double cliSave = RunCli({"mem", "read", "sdram", "0x0", "0x8000000", "-o", cliHex});
    std::remove(cliHex.c_str());
    const double cliWrite = RunCli({"mem", "write", "sdram", "0x0", image});
    // The page's write sends a keep-alive before each step of 32743 bytes.
    const double writeSteps = (16 << 20) / 32743.0;
    const double writeTarget = 1.2 * cliWrite + writeSteps * keepAliveMs / 1000;

    // Paced: the page against the same reads and writes straight on the link.
    const double rate = 1000000;
    const uint32_t pacedBytes = 2 << 20;
    vboard.CtlOk("link rate 1000000");
    const std::string small = scratch.File("small.bin");
    std::ofstream(small, std::ios::binary) << std::string(pacedBytes, '\x5A');
    double pacedRead, pacedWrite, rawRead, rawWrite, gapRead, gapWrite;
    {
        TBenchPage p(dialogs);
        TGapWatch readGap;
        pacedRead = p.Save(0, scratch.File("sram.bin"), "0", "100000");
        gapRead = readGap.LongestMs();
        TGapWatch writeGap;
        pacedWrite = p.Write(0, small);
        gapWrite = writeGap.LongestMs();
        std::vector<uint8_t> buffer(pacedBytes);
        QElapsedTimer clock;
        clock.start();
        p.session.ReadMemory(6, 0, pacedBytes, buffer.data());
        rawRead = clock.elapsed() / 1000.0;
        clock.start();
        p.session.WriteMemory(6, 0, pacedBytes, buffer.data());
        rawWrite = clock.elapsed() / 1000.0;
    }
    vboard.CtlOk("link rate off");
    auto efficiency = [&](double seconds) { return pacedBytes / seconds / rate * 100; };
    const double exchangeMs = (TBoard::kMaxReadChunk + 7) / rate * 1000;
    const double gap = std::max(gapRead, gapWrite);
    const long aboveKb = peakKb - idleKb;

    std::printf("kbr370_memory_bench\n");
    std::printf("  128 MiB SDRAM save to .hex: page %6.2f s, kbr370 mem read %6.2f s, ratio %.2f (target <= 1.2) %s\n",
                pageSave, cliSave, pageSave / cliSave, Mark(cliSave > 0 && pageSave <= 1.2 * cliSave));
    std::printf("  16 MiB SDRAM write        : page %6.2f s, kbr370 mem write %6.2f s, keep-alive %.2f ms x %.0f steps; target <= %.2f s %s\n",
                pageWrite, cliWrite, keepAliveMs, writeSteps, writeTarget, Mark(cliWrite > 0 && pageWrite <= writeTarget));
    std::printf("  paced 1 MB/s, 2 MiB save  : page %5.1f %% of the rate (target >= 95 %%) %s; the bare link %5.1f %%\n",
                efficiency(pacedRead), Mark(efficiency(pacedRead) >= 95), efficiency(rawRead));
    std::printf("  paced 1 MB/s, 2 MiB write : page %5.1f %% of the rate (target >= 92 %%) %s; the bare link %5.1f %%\n",
                efficiency(pacedWrite), Mark(efficiency(pacedWrite) >= 92), efficiency(rawWrite));
    std::printf("  peak memory above idle    : %6.1f MiB during the 128 MiB save (target <= 64 MiB) %s\n",
                aboveKb / 1024.0, Mark(aboveKb <= 64 * 1024));
    std::printf("  longest event-loop gap    : %6.1f ms paced (save %.1f, write %.1f; target <= %.0f ms: one exchange + 20) %s\n",
                gap, gapRead, gapWrite, exchangeMs + 20, Mark(gap <= exchangeMs + 20));
    SetDialogs(nullptr);
    return 0;
}
