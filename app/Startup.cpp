#include "app/Startup.h"

#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <memory>

#include "app/FormMain.h"
#include "app/PanelApplication.h"
#include "app/TestLog.h"
#include "pages/Dialogs.h"
#include "platform/NamedMutex.h"
#include "platform/System.h"
#include "platform/Version.h"

namespace {

const char* const kMutexName = "ZOLVANE_KBR_370_CONTROL_PANEL";

const char* const kHelp =
    "Usage: kbr370-panel [OPTION]...\n"
    "The KBR-370 Control Panel: one window that drives every part of a KBR-370 board,\n"
    "the virtual one unless told otherwise. It configures a blank FPGA by itself.\n"
    "\n"
    "Options:\n"
    "  -h, --help         print this help and exit\n"
    "      --version      print the program's name and version, and exit\n"
    "  -platform NAME     Qt's window system, such as xcb, wayland or offscreen\n"
    "\n"
    "Environment:\n"
    "  KBR370_CABLE       the board's cable: virtual (the default) or usb-blaster;\n"
    "                     any case\n"
    "  KBR370_BLASTER     which real cable, as jtagconfig lists it, such as\n"
    "                     \"USB-Blaster [1-1.4]\" or \"USB-Blaster on labhost [1-1.4]\"\n"
    "                     (default: the one the JTAG server finds)\n"
    "  KBR370_DESIGN      the design file that configures the FPGA (default:\n"
    "                     KBR_370_ControlPanel.sof beside the program)\n"
    "  KBR370_VBOARD_DIR  the virtual board's directory (default:\n"
    "                     $XDG_RUNTIME_DIR/kbr370-vboard, else /tmp/kbr370-vboard-UID)\n"
    "  QUARTUS_ROOTDIR    Quartus's quartus folder, for a real board (default: the\n"
    "                     folder of the quartus_pgm on PATH)\n"
    "  XDG_RUNTIME_DIR    where the lock that keeps the panel to one copy lives\n"
    "                     (default: /tmp/kbr370-lock-UID; ~/.cache/kbr370, or\n"
    "                     $XDG_CACHE_HOME/kbr370, when another user took that name)\n"
    "  QT_SCALE_FACTOR    Qt's: scales the window, such as 2 on a dense screen\n"
    "  QT_QPA_PLATFORM    Qt's: the window system, as -platform\n";

// --help and --version are answered without a window, so without a display.
bool AnswersAlone(int argc, char** argv, int& exitCode) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << kHelp;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "kbr370-panel " << kKbrVersion << "\n";
        } else {
            continue;
        }
        std::cout.flush();
        exitCode = std::cout ? 0 : 1;
        return true;
    }
    return false;
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Test mode: log what the user would see and, if asked, quit after the first
// connection sequence.
void AttachTestLog(TFormMain& form, TTestLog* log, bool quitAfterConnect) {
    form.Host().SetLog(log);
    form.OnConnectSequenceDone = [log, quitAfterConnect] {
        if (log)
            log->Write("done", "");
        if (quitAfterConnect)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    };
}

} // namespace

int RunPanel(int argc, char** argv) {
    if (int exitCode = 0; AnswersAlone(argc, argv, exitCode))
        return exitCode;
    platform::MakePathVariablesAbsolute();
    // Where the user stands now: connecting moves the current directory.
    SetUserDirectory(platform::CurrentDirectory());
    TPanelApplication app(argc, argv);

    TTestLog* log = nullptr;
    if (std::string path = Env("KBR370_PANEL_TEST_LOG"); !path.empty()) {
        auto testLog = std::make_unique<TTestLog>(path);
        log = testLog.get();
        SetDialogs(std::move(testLog));
    }
    const bool quitAfterConnect = !Env("KBR370_PANEL_TEST_QUIT").empty();

    platform::NamedMutex mutex(kMutexName);
    if (mutex.GetState() == platform::NamedMutex::State::Held) {
        Dialogs().MessageBox(platform::MessageKind::Information, "The application is running.", "");
        return 0;
    }
    if (!mutex.Acquired()) {
        // Not another copy: something is wrong with the lock itself, and the
        // user can only mend it when told what.
        Dialogs().MessageBox(platform::MessageKind::Error,
                             "Cannot make sure that only one copy runs: " + mutex.Error() + ".",
                             "");
        return 1;
    }

    int rc = 0;
    try {
        TFormMain form;
        AttachTestLog(form, log, quitAfterConnect);
        form.show();
        if (log)
            QTimer::singleShot(0, &form, [log] { log->Write("shown", ""); });
        rc = app.exec();
    } catch (const std::exception& e) {
        Dialogs().MessageBox(platform::MessageKind::Error, e.what(), "");
        rc = 1;
    }
    mutex.Release();
    // The test log is owned by the dialogs; put the real ones back before it goes.
    SetDialogs(nullptr);
    return rc;
}
