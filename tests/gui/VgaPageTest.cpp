// The VGA page against its own virtual board: the preview on the canvas and
// the pattern the board is told.
#include <QComboBox>

#include "pages/FormVGA.h"
#include "core/devices/VgaPattern.h"
#include "skin/Colours.h"
#include "tests/gui/BoardPageTest.h"

namespace {

class VgaPageTest : public BoardPageTest {
  protected:
    VgaPageTest() {
        Watch(page);
        page.RepaintNow();
    }

    // The canvas colour in the middle of preview cell (row, column) of the Scale grid.
    QColor Cell(int row, int column) const {
        const QRect image = TFormVGA::kImageVGA;
        const int x = (VgaCellStart(image.width(), column, kVgaScaleColumns) +
                       VgaCellStart(image.width(), column + 1, kVgaScaleColumns)) / 2;
        const int y = (VgaCellStart(image.height(), row, kVgaScaleRows) +
                       VgaCellStart(image.height(), row + 1, kVgaScaleRows)) / 2;
        return const_cast<TFormVGA&>(page).GetCanvas().Pixel(image.x() + x, image.y() + y);
    }

    TFormVGA page{nullptr};
};

TEST_F(VgaPageTest, PreviewAndPatternFollowTheList) {
    // Scale, before anything is attached (the grid's colours are the logic's test).
    EXPECT_EQ(page.ComboBoxVGA->currentText(), "Scale");
    EXPECT_EQ(Cell(3, 15), QColor(240, 240, 240));
    EXPECT_EQ(Cell(3, 16), QColor(0, 0, 0));
    const QRect image = TFormVGA::kImageVGA;
    EXPECT_EQ(page.GetCanvas().Pixel(image.x() - 1, image.y() - 1), QColor(0x96, 0x96, 0x96));

    // Without a session a choice only redraws.
    page.ComboBoxVGA->setCurrentIndex(2);
    EXPECT_EQ(Cell(1, 20), QColor(0, 0x80, 0));
    EXPECT_TRUE(infos.empty());

    // Attaching sends what the list holds, as one SendDeviceData.
    vboard->CtlOk("log requests");
    page.AttachBoard(&session);
    EXPECT_EQ(vboard->CtlOk("get vga"), "2");
    EXPECT_EQ(vboard->CtlOk("log requests"), "1F");
    ASSERT_EQ(InfoTexts(), (std::vector<std::string>{"", "VGA Setting...", "Set VGA Success"}));
    EXPECT_EQ(LastInfo().colour, colours::Green);

    page.ComboBoxVGA->setCurrentIndex(5);
    EXPECT_EQ(vboard->CtlOk("get vga"), "5");
    EXPECT_EQ(Cell(0, 0), QColor(0, 0, 0));

    // A board that refuses the pattern is no success, and no lost link.
    vboard->CtlOk("fault status:1");
    page.ComboBoxVGA->setCurrentIndex(4);
    EXPECT_EQ(Cell(3, 39), QColor(255, 255, 255));
    EXPECT_EQ(LastInfo().text, "Set VGA Failed");
    EXPECT_EQ(LastInfo().colour, colours::Red);
    EXPECT_EQ(linkLost, 0);

    // Detached, the list still works and nothing reaches the board.
    page.DetachBoard();
    vboard->CtlOk("log requests");
    page.ComboBoxVGA->setCurrentIndex(0);
    EXPECT_EQ(Cell(1, 15), QColor(0, 240, 0));
    EXPECT_EQ(vboard->CtlOk("log requests"), "");
}

} // namespace
