#pragma once
// A page test with its own configured virtual board and a session connected
// to it, recording the info line and the page's OnLinkLost.
#include <QImage>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "board/Board.h"
#include "pages/Page.h"
#include "pages/ShowInfo.h"
#include "skin/SkinResources.h"
#include "tests/gui/GuiTestSupport.h"

class ConnectedPageTest : public GuiTest {
  protected:
    struct Info {
        std::string text;
        uint32_t colour;
    };

    ConnectedPageTest() {
        std::string error;
        connected = session.Connect(error, 0);
        EXPECT_TRUE(connected) << error;
        SetInfoSink([this](const std::string& text, uint32_t colour) {
            infos.push_back({text, colour});
        });
    }
    ~ConnectedPageTest() override { SetInfoSink({}); }

    // Hooks the page's OnLinkLost the way the main window does: disconnect.
    void Watch(TPage& page) {
        page.OnLinkLost = [this](TPage*) {
            ++lost;
            session.Disconnect();
        };
    }
    std::vector<std::string> InfoTexts() const {
        std::vector<std::string> texts;
        for (const Info& i : infos)
            texts.push_back(i.text);
        return texts;
    }
    const Info& LastInfo() const {
        static const Info none{"<none>", 0};
        return infos.empty() ? none : infos.back();
    }

    // Whether the sprite's visible pixels (all but its lower-left colour) lie
    // on `canvas` at `at`.
    static bool SpriteShown(const QImage& canvas, QPoint at, const QString& name) {
        const QImage sprite = LoadSkinBitmap(name).convertToFormat(QImage::Format_RGB32);
        const QRgb key = sprite.pixel(0, sprite.height() - 1);
        for (int y = 0; y < sprite.height(); ++y)
            for (int x = 0; x < sprite.width(); ++x)
                if (sprite.pixel(x, y) != key &&
                    (canvas.pixel(at.x() + x, at.y() + y) | 0xFF000000u) !=
                        (sprite.pixel(x, y) | 0xFF000000u))
                    return false;
        return true;
    }

    TestVBoard vb;
    TBoard session;
    bool connected = false;
    std::vector<Info> infos;
    int lost = 0;
};
