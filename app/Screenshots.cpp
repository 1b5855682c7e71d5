// Writes PNGs of the real windows: welcome, connecting, connected on the LED
// page, and the About dialog. Usage: kbr370-screenshots <outdir>
// Run it against a private, configured virtual board (scripts/screenshots.sh).
#include <QApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/FormAbout.h"
#include "app/FormMain.h"
#include "app/PageTable.h"
#include "pages/DialogRecorder.h"
#include "pages/Dialogs.h"
#include "pages/FormHSMC.h"
#include "pages/ShowInfo.h"
#include "platform/System.h"
#include "skin/ButtonManager.h"
#include "skin/CustomButton.h"

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

// Opens a page the way a user does: a click on its tab.
void ClickTab(TFormMain& form, int kind) {
    const TCustomButton* tab = form.TabButtons().FindButton(kind);
    const QPointF at(tab->X() + tab->Width() / 2, tab->Y() + tab->FaceHeight() / 2);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, form.mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&form, &event);
    }
}

// Tells the virtual board something, as a person at its ctl socket would.
bool VBoardCtl(const QStringList& command) {
    const QString vboard = QString::fromStdString(platform::ProgramDirectory() + "kbr370-vboard");
    return QProcess::execute(vboard, QStringList{"ctl"} + command) == 0;
}

// The USB page with a storage device plugged in, the VGA page on "Scale", and
// the HSMC page after a failed test (its report box is in the README).
bool SaveUsbVgaHsmcPages(TFormMain& form, const std::string& out) {
    bool ok = VBoardCtl({"usb", "2"});
    ClickTab(form, PAGE_USB);
    Pump(600);
    ok &= Save(form, out, "usb-storage.png");

    ClickTab(form, PAGE_VGA);
    Pump(200);
    ok &= Save(form, out, "vga-scale.png");

    ok &= VBoardCtl({"hsmc", "fail", "0x8000000003", "0x02"});
    ClickTab(form, PAGE_HSMC);
    auto* recorder = static_cast<TDialogRecorder*>(&Dialogs());
    const size_t boxes = recorder->Boxes.size();
    static_cast<TFormHSMC*>(form.Page(PAGE_HSMC))->ButtonVerifyClick();
    Pump(200);
    ok &= Save(form, out, "hsmc-ng.png");
    // The NG report box is what the page is meant to show; only it is expected.
    ok &= recorder->Boxes.size() == boxes + 1;
    recorder->Boxes.resize(boxes);
    VBoardCtl({"hsmc", "fail", "0x0", "0x0"});
    return ok;
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
        ok &= SaveUsbVgaHsmcPages(form, out);

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
