// The HSMC page against its own virtual board: Verify by pixel, the verdict
// label, the report box and a lost link.
#include <QLabel>

#include "pages/DialogRecorder.h"
#include "pages/FormHSMC.h"
#include "skin/Colours.h"
#include "skin/WinColor.h"
#include "tests/gui/BoardPageTest.h"

namespace {

class HsmcPageTest : public BoardPageTest {
  protected:
    HsmcPageTest() {
        Watch(page);
        page.RepaintNow();
    }

    void ClickVerify() {
        ClickAt(&page, page.ButtonVerify.Left + 32, page.ButtonVerify.Top + 8);
    }
    // The face's top rows, above the caption.
    bool VerifyFace(int face) {
        const QImage strip = Face("NORMAL_BTN", face);
        return RegionMatches(page.GetCanvas().Image(),
                             {page.ButtonVerify.Left, page.ButtonVerify.Top},
                             strip.copy(0, 0, strip.width(), 3));
    }
    std::string Result() const { return page.LabelResult->text().toStdString(); }
    QColor ResultColour() const {
        return page.LabelResult->palette().color(QPalette::WindowText);
    }

    TFormHSMC page{nullptr};
};

TEST_F(HsmcPageTest, VerifyShowsPassOrTheFailingPins) {
    // No session: Verify is greyed and a click does nothing.
    EXPECT_TRUE(VerifyFace(1));
    ClickVerify();
    EXPECT_TRUE(infos.empty());
    EXPECT_EQ(Result(), "");

    page.AttachBoard(&session);
    EXPECT_TRUE(VerifyFace(0));
    ClickVerify();
    EXPECT_EQ(InfoTexts(),
              (std::vector<std::string>{"", "HSMC Loopback Testing...", "HSMC Loopback Test: PASS"}));
    EXPECT_EQ(Result(), "PASS");
    EXPECT_EQ(ResultColour(), WinColor(colours::Green));
    EXPECT_TRUE(dialogs->Boxes.empty());

    vboard->CtlOk("hsmc fail 0x8000000000 0x00");
    ClickVerify();
    EXPECT_EQ(LastInfo().text, "HSMC Loopback Test: NG");
    EXPECT_EQ(Result(), "NG");
    EXPECT_EQ(ResultColour(), WinColor(colours::Red));
    ASSERT_EQ(dialogs->Boxes.size(), 1u);
    EXPECT_EQ(dialogs->Boxes[0].kind, platform::MessageKind::Information);
    EXPECT_EQ(dialogs->Boxes[0].text, "HSMC Test:NG\r\n<Pio Error:>\r\nHSMC Pin 157-158    \r\n");

    // Transceiver bits 4-7 stand for no pins: the heading alone.
    vboard->CtlOk("hsmc fail 0x0 0xF0");
    ClickVerify();
    ASSERT_EQ(dialogs->Boxes.size(), 2u);
    EXPECT_EQ(dialogs->Boxes[1].text, "HSMC Test:NG\r\n<Transceiver Error:>\r\n");
    EXPECT_TRUE(VerifyFace(0) || VerifyFace(2)) << "enabled again after the test";

    // A refused test fails without a box and without losing the link.
    vboard->CtlOk("fault status:1");
    ClickVerify();
    EXPECT_EQ(LastInfo().text, "Failed to perform HSMC test");
    EXPECT_EQ(Result(), "NG");
    EXPECT_EQ(dialogs->Boxes.size(), 2u);
    EXPECT_EQ(linkLost, 0);

    // A cut link: error box, empty result, OnLinkLost.
    vboard->CtlOk("fault disconnect");
    ClickVerify();
    ASSERT_EQ(dialogs->Boxes.size(), 3u);
    EXPECT_EQ(dialogs->Boxes[2].kind, platform::MessageKind::Error);
    EXPECT_EQ(dialogs->Boxes[2].text, "Failed to perform HSMC test");
    EXPECT_EQ(Result(), "");
    EXPECT_EQ(linkLost, 1);

    page.DetachBoard();
    EXPECT_TRUE(VerifyFace(1));
}

} // namespace
