#pragma once
#include <QImage>
#include <string>
#include <utility>
#include <vector>

#include "board/Board.h"
#include "tests/gui/GuiTestSupport.h"

class TButtonManager;

// A page on its own against its own connected virtual board: the session, the
// info lines the page writes and the lost links it reports.
class BoardPageTest : public GuiTest {
  protected:
    BoardPageTest();
    ~BoardPageTest() override;

    // "ir=0 rs232=0 ps2=0" as the board reports its monitoring modes.
    std::string Modes() const { return vb.CtlOk("get modes"); }
    const std::string& LastInfo() const;
    uint32_t LastInfoColour() const;
    // Presses skinned button `id` at its centre.
    void Press(QWidget* page, TButtonManager& buttons, int id);

    TestVBoard vb;
    TBoard session;
    std::vector<std::pair<std::string, uint32_t>> infos;
    int lost = 0;
};

// Whether the opaque pixels of sprite `name` (its lower-left pixel's colour is
// see-through) lie on `canvas` with the sprite's top-left at `at`.
bool SpriteShown(const QImage& canvas, QPoint at, const QString& name);
