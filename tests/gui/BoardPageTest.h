#pragma once
#include <QImage>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "board/Board.h"
#include "tests/gui/GuiTestSupport.h"

class TButtonManager;
class TPage;

// A page test against its own configured virtual board, through a session
// that is connected before the test starts. Info lines are recorded, and a
// page's OnLinkLost is counted (and checked to come with the session's Lock free).
class BoardPageTest : public GuiTest {
  protected:
    struct Info {
        std::string text;
        uint32_t colour;
    };

    BoardPageTest();
    ~BoardPageTest() override;

    // Hooks the page's OnLinkLost as the main window does (disconnect), and
    // gives it the recording host, as the page host gives it the window's.
    void Watch(TPage& page);
    std::vector<std::string> InfoTexts() const;
    const Info& LastInfo() const;
    // Presses and releases the mouse on the middle of skinned button `id`.
    static void ClickButton(QWidget* page, TButtonManager& buttons, int id);
    // Whether the sprite `name` lies at `at`, its transparent pixels aside.
    static bool SpriteAt(const QImage& canvas, QPoint at, const QString& name);
    // The board's control reply without "ok ", or a failed expectation.
    std::string Ctl(const std::string& command) { return vboard->CtlOk(command); }
    // The board's monitoring modes, as "ir=0 rs232=0 ps2=0".
    std::string Modes() { return Ctl("get modes"); }

    std::unique_ptr<TestVBoard> vboard;
    TBoard session;
    std::vector<Info> infos;
    std::unique_ptr<TInfoWatch> infoWatch;
    int linkLost = 0;
};
