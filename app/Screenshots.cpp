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
#include "pages/Dialogs.h"
#include "pages/ShowInfo.h"

// The monitor pages' shots.
#include <QLineEdit>
#include <QProcess>

#include "app/PageTable.h"
#include "pages/FormIR.h"
#include "pages/FormPS2.h"
#include "pages/FormRS232.h"
#include "platform/System.h"

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

// The monitor pages at work: what they show comes from the virtual board,
// told through its control socket what its devices received.
void VBoardCtl(const QStringList& command) {
    const QString exe = QString::fromStdString(platform::ProgramDirectory()) + "kbr370-vboard";
    QProcess ctl;
    ctl.start(exe, QStringList{"ctl"} + command);
    ctl.waitForFinished();
}

bool ShotPs2(TFormMain& form, const std::string& out) {
    form.ShowPage(PAGE_PS2);
    auto* page = static_cast<TFormPS2*>(form.Page(PAGE_PS2));
    page->ButtonStartClick();
    VBoardCtl({"ps2", "push", "08281400083C1E00091E0A00"});
    Pump(200);
    return Save(form, out, "ps2.png");
}

bool ShotRs232(TFormMain& form, const std::string& out) {
    form.ShowPage(PAGE_RS232);
    auto* page = static_cast<TFormRS232*>(form.Page(PAGE_RS232));
    VBoardCtl({"rs232", "push", "4B42522D33373020726561647920B0430D0A"});
    VBoardCtl({"rs232", "loopback", "1"});
    page->EditSend->setText(QString::fromLatin1("Hello, board! \xE9\xE8"));
    page->ButtonSendClick();
    Pump(400);
    VBoardCtl({"rs232", "loopback", "0"});
    return Save(form, out, "rs232.png");
}

bool ShotIr(TFormMain& form, const std::string& out) {
    form.ShowPage(PAGE_IR);
    VBoardCtl({"ir", "push", "010203401A05"});
    Pump(120);
    return Save(form, out, "ir.png");
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
        ok &= ShotPs2(form, out) && ShotRs232(form, out) && ShotIr(form, out);
        form.ShowPage(PAGE_LED);

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
