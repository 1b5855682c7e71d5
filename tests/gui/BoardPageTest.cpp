#include "tests/gui/BoardPageTest.h"

#include <cstdlib>
#include <mutex>
#include <thread>

#include "pages/Page.h"
#include "skin/ButtonManager.h"
#include "skin/CustomButton.h"
#include "skin/SkinResources.h"

BoardPageTest::BoardPageTest() {
    // The daemon inherits it: a quick configuration keeps each test short.
    setenv("KBR370_VBOARD_CONFIGURE_MS", "50", 1);
    vboard = std::make_unique<TestVBoard>(true);
    std::string error;
    session.SetLimits(TBoard::TLimits().WithReplyLimit(800)); // a silent board fails fast
    EXPECT_TRUE(session.Connect(error, 0)) << error;
    infoWatch = std::make_unique<TInfoWatch>(
        [this](const std::string& text, uint32_t colour) { infos.push_back({text, colour}); });
}

BoardPageTest::~BoardPageTest() {
    infoWatch.reset();
    session.Disconnect();
}

void BoardPageTest::Watch(TPage& page) {
    page.SetHost(*infoWatch);
    page.OnLinkLost = [this](TPage*) {
        // The main window disconnects here, which needs the Lock free; the
        // Lock is re-entrant, so only another thread can tell.
        bool free = false;
        std::thread([&] {
            free = session.Lock.try_lock();
            if (free)
                session.Lock.unlock();
        }).join();
        EXPECT_TRUE(free);
        ++linkLost;
        session.Disconnect();
    };
}

std::vector<std::string> BoardPageTest::InfoTexts() const {
    std::vector<std::string> texts;
    for (const Info& i : infos)
        texts.push_back(i.text);
    return texts;
}

const BoardPageTest::Info& BoardPageTest::LastInfo() const {
    static const Info none{"<none>", 0};
    return infos.empty() ? none : infos.back();
}

void BoardPageTest::ClickButton(QWidget* page, TButtonManager& buttons, int id) {
    const TCustomButton* b = buttons.FindButton(id);
    ASSERT_NE(b, nullptr) << id;
    ClickAt(page, b->X() + b->Width() / 2, b->Y() + b->FaceHeight() / 2);
}

bool BoardPageTest::SpriteAt(const QImage& canvas, QPoint at, const QString& name) {
    const QImage sprite = LoadSkinBitmap(name).convertToFormat(QImage::Format_RGB32);
    const QRgb clear = sprite.pixel(0, sprite.height() - 1);
    const QImage region =
        canvas.copy(QRect(at, sprite.size())).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < sprite.height(); ++y)
        for (int x = 0; x < sprite.width(); ++x)
            if (sprite.pixel(x, y) != clear && region.pixel(x, y) != sprite.pixel(x, y))
                return false;
    return true;
}
