#include "tests/gui/GuiTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <cstdlib>

#include "pages/DialogRecorder.h"
#include "pages/Dialogs.h"
#include "pages/PanelHost.h"
#include "skin/SkinResources.h"

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

void Pump(int ms) {
    WaitFor([] { return false; }, ms);
}

void ClickAt(QWidget* window, int x, int y) {
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(x, y));
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(x, y));
}

QImage Face(const QString& strip, int face) {
    QImage image = LoadSkinBitmap(strip).convertToFormat(QImage::Format_RGB32);
    const int h = image.height() / 4;
    return image.copy(0, face * h, image.width(), h);
}

bool RegionMatches(const QImage& canvas, QPoint at, const QImage& expected) {
    const QImage region =
        canvas.copy(QRect(at, expected.size())).convertToFormat(QImage::Format_RGB32);
    const QImage want = expected.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
            if ((region.pixel(x, y) | 0xFF000000u) != (want.pixel(x, y) | 0xFF000000u))
                return false;
    return true;
}

GuiTest::GuiTest() {
    setenv("XDG_RUNTIME_DIR", runtimeDir.Path().c_str(), 1);
    auto recorder = std::make_unique<TDialogRecorder>();
    dialogs = recorder.get();
    SetDialogs(std::move(recorder));
}

GuiTest::~GuiTest() {
    SetDialogs(nullptr);
}

TInfoWatch::TInfoWatch(Sink sink) : TForwardingHost(&plain), sink(std::move(sink)) {}

void TInfoWatch::Info(const std::string& text, Tone tone) {
    sink(text, TPanelHost::Colour(tone));
    TForwardingHost::Info(text, tone);
}
