// Writes PNGs of the real windows: welcome, connecting, connected on the LED
// page, and the About dialog. Usage: kbr370-screenshots <outdir>
// Run it against a private, configured virtual board (scripts/screenshots.sh).
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/FormAbout.h"
#include "app/FormMain.h"
#include "pages/DialogRecorder.h"
#include "pages/FormMemory.h"
#include "pages/FormProgress.h"
#include "skin/ButtonManager.h"
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <unistd.h>
#include "pages/Dialogs.h"
#include "pages/ShowInfo.h"

namespace {

void Pump(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
}

bool Save(QWidget& window, const std::string& dir, const char* name) {
    const std::string path = dir + "/" + name;
    const bool ok = window.grab().save(QString::fromStdString(path), "PNG");
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "could not write", path.c_str());
    return ok;
}

// The memory page with FLASH chosen, and the progress dialog in the middle
// of a save (grabbed from inside the save's message pump, then aborted).
bool MemoryShots(TFormMain& form, const std::string& dir) {
    form.TabButtons().UncheckAllButtons();
    form.TabButtons().SetButtonChecked(PAGE_MEMORY, true);
    form.ShowPage(PAGE_MEMORY);
    auto* memory = static_cast<TFormMemory*>(form.Page(PAGE_MEMORY));
    memory->ComboBoxMemType->setCurrentIndex(3);
    Pump(100);
    bool ok = Save(form, dir, "memory-flash.png");

    memory->ComboBoxMemType->setCurrentIndex(2);
    memory->EditMemReadAddr->setText("0");
    memory->EditMemReadLen->setText("400000");
    const std::string scratch = dir + "/.screenshot-save.bin";
    static_cast<TDialogRecorder&>(Dialogs()).FileAnswers.push_back(scratch);
    bool grabbed = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        TFormProgress* p = memory->ActiveProgress();
        if (grabbed || !p || p->ProgressBar->value() < 40)
            return;
        grabbed = true;
        ok &= Save(*p, dir, "progress-save.png");
        p->ButtonAbortClick();
    });
    watch.start(0);
    memory->ButtonMemRead2FileClick();
    watch.stop();
    unlink(scratch.c_str());
    return ok && grabbed;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <outdir>\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const std::string out = argv[1];
    SetDialogs(std::make_unique<TDialogRecorder>());
    InstallPlatformHooks();

    bool ok = true;
    bool sequenceDone = false;
    bool grabbedConnecting = false;
    {
        TFormMain form;
        SetInfoSink([&](const std::string& text, uint32_t colour) {
            form.SetInfoText(text, colour);
            // The sequence blocks the event loop, so take this one from inside it.
            if (text == "Check board ID..." && !grabbedConnecting) {
                grabbedConnecting = true;
                ok &= Save(form, out, "connecting.png");
            }
        });
        form.OnConnectSequenceDone = [&] { sequenceDone = true; };
        form.show();
        Pump(150); // the first connect starts 300 ms after creation
        ok &= Save(form, out, "welcome.png");

        QElapsedTimer clock;
        clock.start();
        while (!sequenceDone && clock.elapsed() < 30000)
            Pump(20);
        Pump(200);
        ok &= grabbedConnecting && sequenceDone;
        ok &= Save(form, out, "connected-led.png");
        ok &= MemoryShots(form, out);

        TFormAbout about(&form);
        about.show();
        Pump(100);
        ok &= Save(about, out, "about.png");
        about.close();
        SetInfoSink({});
    }
    auto* recorder = static_cast<TDialogRecorder*>(&Dialogs());
    for (const auto& box : recorder->Boxes)
        std::fprintf(stderr, "message box: %s\n", box.text.c_str());
    return ok && recorder->Boxes.empty() ? 0 : 1;
}
