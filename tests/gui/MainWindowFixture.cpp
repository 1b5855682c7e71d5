#include "tests/gui/MainWindowFixture.h"

#include <QTest>

#include "platform/System.h"
#include "skin/ButtonManager.h"
#include "skin/CustomButton.h"

MainWindowFixture::~MainWindowFixture() {
    form.reset();
}

void MainWindowFixture::Start(bool configuredBoard, const std::function<void()>& beforeWindow) {
    board = std::make_unique<TestVBoard>(configuredBoard);
    if (beforeWindow)
        beforeWindow();
    createdMs = platform::GetTickCount();
    form = std::make_unique<TFormMain>();
    // In front of the window's own host, which still shows everything.
    recorder = std::make_unique<TRecordingHost>(&form->Host());
    form->SetHost(*recorder);
    form->OnConnectSequenceDone = [this] { ++sequences; };
    form->show();
    ASSERT_TRUE(WaitFor([this] { return sequences == 1; }, 30000));
}

QPoint MainWindowFixture::Centre(TButtonManager& manager, int id) {
    TCustomButton* b = manager.FindButton(id);
    EXPECT_NE(b, nullptr);
    if (!b)
        return {};
    return {b->X() + b->Width() / 2, b->Y() + b->FaceHeight() / 2};
}

void MainWindowFixture::ClickSystem(int id, bool wait) {
    const int before = sequences;
    const QPoint p = Centre(form->SystemButtons(), id);
    ClickAt(form.get(), p.x(), p.y());
    if (id == BTN_CONNECT && wait) {
        ASSERT_TRUE(WaitFor([&] { return sequences > before; }, 30000));
    }
}

void MainWindowFixture::ClickTab(int id) {
    const QPoint p = Centre(form->TabButtons(), id);
    ClickAt(form.get(), p.x(), p.y());
}

void MainWindowFixture::Key(QWidget* window, int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(window->windowHandle(), static_cast<Qt::Key>(key), modifiers);
}

std::string MainWindowFixture::LastInfo() const {
    const auto infos = recorder->Of(Kind::Info, true);
    return infos.empty() ? std::string() : infos.back().text;
}
