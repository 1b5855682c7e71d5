// Writes PNGs of the real windows: welcome, connecting, connected on the LED
// page, the pages at work, and the About dialog. Usage: kbr370-screenshots <outdir>
// Run it against a private, configured virtual board (scripts/screenshots.sh).
// On a screen of device pixel ratio 2 (QT_SCALE_FACTOR=2) it writes only the
// connected window and two pages, named with "@2x".
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/FormAbout.h"
#include "app/FormMain.h"
#include "app/PageTable.h"
#include "pages/DialogRecorder.h"
#include "pages/Dialogs.h"
#include "pages/FormButton.h"
#include "pages/FormHSMC.h"
#include "pages/FormIR.h"
#include "pages/FormLCD.h"
#include "pages/FormMemory.h"
#include "pages/FormPS2.h"
#include "pages/FormProgress.h"
#include "pages/FormRS232.h"
#include "pages/FormSDCARD.h"
#include "pages/FormSeg7.h"
#include "core/ForwardingHost.h"
#include "platform/System.h"
#include "platform/UnixSocket.h"
#include "platform/VBoardDir.h"
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

// Calls `shoot` when the connection sequence checks the board's name.
class TConnectingShot : public TForwardingHost {
  public:
    TConnectingShot(TFormMain& form, std::function<void()> shoot)
        : TForwardingHost(&form.Host()), shoot(std::move(shoot)) {}
    void Info(const std::string& text, Tone tone) override {
        TForwardingHost::Info(text, tone);
        if (text == "Check board ID...")
            shoot();
    }

  private:
    std::function<void()> shoot;
};

bool Save(QWidget& window, const std::string& dir, const char* name) {
    std::string file = name;
    if (qApp->devicePixelRatio() > 1)
        file.insert(file.rfind('.'), "@" + QString::number(qApp->devicePixelRatio()).toStdString() + "x");
    const std::string path = dir + "/" + file;
    const bool ok = window.grab().save(QString::fromStdString(path), "PNG");
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "could not write", path.c_str());
    return ok;
}

// Presses and releases the left button at client point `at` of `window`.
void ClickAt(QWidget* window, QPoint at) {
    const QPointF local(at);
    const QPointF global(window->mapToGlobal(at));
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, local, global, Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(window, &event);
    }
}

QPoint ButtonCentre(TButtonManager& buttons, int id) {
    const TCustomButton* b = buttons.FindButton(id);
    return {b->X() + b->Width() / 2, b->Y() + b->FaceHeight() / 2};
}

void ShowTab(TFormMain& form, int kind) {
    ClickAt(&form, ButtonCentre(form.TabButtons(), kind));
    Pump(100);
}

void BoardCtl(const std::string& command) {
    std::string reply;
    platform::ControlRequest(platform::VBoardControlSocket(platform::VBoardDirectory()), command,
                             reply, 2000);
}

// The 7-segment page with a few digits stepped away from 8.
bool ShootSeg7(TFormMain& form, const std::string& out) {
    ShowTab(form, PAGE_SEG7);
    auto* page = static_cast<TFormSeg7*>(form.Page(PAGE_SEG7));
    const int steps[][2] = {{0, 1}, {0, 1}, {1, 5}, {2, 3}, {5, 2}, {7, 9}};
    for (const auto& [digit, times] : steps)
        for (int i = 0; i < times; ++i)
            ClickAt(page, ButtonCentre(page->Buttons(), 2 * digit + 1));
    Pump(100);
    return Save(form, out, "seg7-digits.png");
}

// The switches page once the board's switches and keys were moved.
bool ShootSwitches(TFormMain& form, const std::string& out) {
    ShowTab(form, PAGE_BUTTON);
    constexpr uint32_t kInputs = 0x2A5A5;
    BoardCtl("set inputs 0x2A5A5");
    auto* page = static_cast<TFormButton*>(form.Page(PAGE_BUTTON));
    QElapsedTimer clock;
    clock.start();
    while (page->InputState() != kInputs && clock.elapsed() < 5000)
        Pump(20);
    Pump(50);
    return page->InputState() == kInputs && Save(form, out, "switches.png");
}

// The LCD page right after its text was sent.
bool ShootLcd(TFormMain& form, const std::string& out) {
    ShowTab(form, PAGE_LCD);
    auto* page = static_cast<TFormLCD*>(form.Page(PAGE_LCD));
    page->EditLine1->setText("Hello, LCD!");
    ClickAt(page, ButtonCentre(page->Buttons(), 0));
    Pump(100);
    return Save(form, out, "lcd-set.png");
}

// The SD card page after reading the virtual board's card.
bool ShootSdCard(TFormMain& form, const std::string& out) {
    ShowTab(form, PAGE_SDCARD);
    auto* page = static_cast<TFormSDCARD*>(form.Page(PAGE_SDCARD));
    ClickAt(page, ButtonCentre(page->Buttons(), 0));
    Pump(100);
    return Save(form, out, "sdcard-read.png");
}

// The USB page with a storage device plugged in, the VGA page on "Scale", and
// the HSMC page after a failed test (its report box is in the README).
bool SaveUsbVgaHsmcPages(TFormMain& form, const std::string& out) {
    BoardCtl("usb 2");
    ShowTab(form, PAGE_USB);
    Pump(500);
    bool ok = Save(form, out, "usb-storage.png");

    ShowTab(form, PAGE_VGA);
    Pump(100);
    ok &= Save(form, out, "vga-scale.png");

    BoardCtl("hsmc fail 0x8000000003 0x02");
    ShowTab(form, PAGE_HSMC);
    auto* recorder = static_cast<TDialogRecorder*>(&Dialogs());
    const size_t boxes = recorder->Boxes.size();
    static_cast<TFormHSMC*>(form.Page(PAGE_HSMC))->ButtonVerifyClick();
    Pump(200);
    ok &= Save(form, out, "hsmc-ng.png");
    // The NG report box is what the page is meant to show; only it is expected.
    ok &= recorder->Boxes.size() == boxes + 1;
    recorder->Boxes.resize(boxes);
    BoardCtl("hsmc fail 0x0 0x0");
    return ok;
}

// The monitor pages at work: what they show comes from the virtual board,
// told through its control socket what its devices received.

bool MonitorShots(TFormMain& form, const std::string& out) {
    ShowTab(form, PAGE_PS2);
    static_cast<TFormPS2*>(form.Page(PAGE_PS2))->ButtonStartClick();
    BoardCtl("ps2 push 08281400083C1E00091E0A00");
    Pump(200);
    bool ok = Save(form, out, "ps2.png");

    ShowTab(form, PAGE_RS232);
    auto* rs232 = static_cast<TFormRS232*>(form.Page(PAGE_RS232));
    BoardCtl("rs232 push 4B42522D33373020726561647920B0430D0A");
    BoardCtl("rs232 loopback 1");
    rs232->EditSend->setText(QString::fromLatin1("Hello, board! \xE9\xE8"));
    rs232->ButtonSendClick();
    Pump(400);
    BoardCtl("rs232 loopback 0");
    ok &= Save(form, out, "rs232.png");

    ShowTab(form, PAGE_IR);
    BoardCtl("ir push 010203401A05");
    Pump(120);
    return Save(form, out, "ir.png") && ok;
}

// The memory page with FLASH chosen, and the progress dialog in the middle
// of a save (grabbed from inside the save's message pump, then aborted).
bool MemoryShots(TFormMain& form, const std::string& dir) {
    ShowTab(form, PAGE_MEMORY);
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

    bool ok = true;
    bool sequenceDone = false;
    bool grabbedConnecting = false;
    {
        TFormMain form;
        // The sequence blocks the event loop, so take this one from inside it.
        TConnectingShot shot(form, [&] {
            if (!grabbedConnecting) {
                grabbedConnecting = true;
                ok &= Save(form, out, "connecting.png");
            }
        });
        form.SetHost(shot);
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
        ok &= ShootSeg7(form, out);
        ok &= ShootSwitches(form, out);
        if (app.devicePixelRatio() > 1)
            return ok ? 0 : 1;
        ok &= ShootLcd(form, out);
        ok &= ShootSdCard(form, out);
        ok &= SaveUsbVgaHsmcPages(form, out);
        ok &= MonitorShots(form, out);
        ok &= MemoryShots(form, out);
        ShowTab(form, PAGE_LED);

        TFormAbout about(&form);
        about.show();
        Pump(100);
        ok &= Save(about, out, "about.png");
        about.close();
    }
    auto* recorder = static_cast<TDialogRecorder*>(&Dialogs());
    for (const auto& box : recorder->Boxes)
        std::fprintf(stderr, "message box: %s\n", box.text.c_str());
    return ok && recorder->Boxes.empty() ? 0 : 1;
}
