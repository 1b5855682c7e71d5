#include "tests/gui/BoardPageSupport.h"

#include "pages/ShowInfo.h"
#include "skin/ButtonManager.h"
#include "skin/CustomButton.h"
#include "skin/SkinResources.h"

BoardPageTest::BoardPageTest() {
    std::string error;
    EXPECT_TRUE(session.Connect(error, 0)) << error;
    SetInfoSink([this](const std::string& text, uint32_t colour) { infos.emplace_back(text, colour); });
}

BoardPageTest::~BoardPageTest() {
    SetInfoSink({});
    session.Disconnect();
}

const std::string& BoardPageTest::LastInfo() const {
    static const std::string none = "<none>";
    return infos.empty() ? none : infos.back().first;
}

uint32_t BoardPageTest::LastInfoColour() const {
    return infos.empty() ? 0xFFFFFFFFu : infos.back().second;
}

void BoardPageTest::Press(QWidget* page, TButtonManager& buttons, int id) {
    TCustomButton* b = buttons.FindButton(id);
    ASSERT_NE(b, nullptr);
    ClickAt(page, b->X() + b->Width() / 2, b->Y() + b->FaceHeight() / 2);
}

bool SpriteShown(const QImage& canvas, QPoint at, const QString& name) {
    const QImage sprite = LoadSkinBitmap(name).convertToFormat(QImage::Format_RGB32);
    const QRgb key = sprite.pixel(0, sprite.height() - 1) | 0xFF000000u;
    for (int y = 0; y < sprite.height(); ++y)
        for (int x = 0; x < sprite.width(); ++x) {
            const QRgb px = sprite.pixel(x, y) | 0xFF000000u;
            if (px != key && (canvas.pixel(at.x() + x, at.y() + y) | 0xFF000000u) != px)
                return false;
        }
    return true;
}
