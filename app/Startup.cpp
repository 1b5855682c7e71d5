#include "app/Startup.h"

#include <QTimer>
#include <cstdlib>
#include <exception>
#include <memory>

#include "app/FormMain.h"
#include "app/PanelApplication.h"
#include "app/TestLog.h"
#include "pages/Dialogs.h"
#include "platform/NamedMutex.h"
#include "platform/System.h"

namespace {

const char* const kMutexName = "ZOLVANE_KBR_370_CONTROL_PANEL";

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Test mode: log what the user would see and, if asked, quit after the first
// connection sequence.
void AttachTestLog(TFormMain& form, TTestLog* log, bool quitAfterConnect) {
    form.Reporter().SetLog(log);
    form.OnConnectSequenceDone = [log, quitAfterConnect] {
        if (log)
            log->Write("done", "");
        if (quitAfterConnect)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    };
}

} // namespace

int RunPanel(int argc, char** argv) {
    platform::MakePathVariablesAbsolute();
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
