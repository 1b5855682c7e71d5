// The LCD page against its own virtual board: the two lines in one text with
// its zero byte, and every result on the info line and in boxes.
#include <QLineEdit>
#include <QTest>

#include "pages/DialogRecorder.h"
#include "pages/FormLCD.h"
#include "skin/ButtonManager.h"
#include "skin/Colours.h"
#include "skin/CustomButton.h"
#include "tests/gui/BoardPageTest.h"

namespace {

class LcdPageTest : public BoardPageTest {
  protected:
    LcdPageTest() {
        Watch(page);
        page.RepaintNow();
    }
    void ClickSet() { ClickButton(&page, page.Buttons(), 0); }
    bool SetEnabled() { return page.Buttons().FindButton(0)->Enabled() && page.ButtonSet.Enabled; }
    // Set with `fault` planted: the last info line and the one error box say `text`.
    void SetFailsWith(const std::string& fault, const std::string& text) {
        page.AttachBoard(&session);
        Ctl("fault " + fault);
        infos.clear();
        ClickSet();
        ASSERT_FALSE(infos.empty());
        EXPECT_EQ(infos.back().text, text);
        EXPECT_EQ(infos.back().colour, colours::Red);
        ASSERT_EQ(dialogs->Boxes.size(), 1u);
        EXPECT_EQ(dialogs->Boxes[0].kind, platform::MessageKind::Error);
        EXPECT_EQ(dialogs->Boxes[0].text, text);
    }

    TFormLCD page{nullptr};
};

TEST_F(LcdPageTest, SetPutsBothLinesOnTheDisplay) {
    EXPECT_EQ(page.EditLine0->text(), "KBR-370");
    EXPECT_EQ(page.EditLine1->text(), "Control Panel");
    EXPECT_FALSE(SetEnabled());
    QTest::keyClicks(page.EditLine1, "0123456789");
    EXPECT_EQ(page.EditLine1->text(), "Control Panel012") << "16 characters at most";
    page.EditLine1->setText("Control Panel");

    page.AttachBoard(&session);
    ASSERT_TRUE(SetEnabled());
    Ctl("log requests");
    infos.clear();
    ClickSet();
    // "KBR-370\nControl Panel\n" and the zero byte: 23 bytes, one SendDeviceData.
    EXPECT_EQ(Ctl("log requests"), "1F");
    EXPECT_EQ(Ctl("get lcd"), "4B42522D333730 436F6E74726F6C2050616E656C");
    ASSERT_EQ(infos.size(), 2u);
    EXPECT_EQ(infos[0].text, "LCD Setting...");
    EXPECT_EQ(infos[0].colour, colours::Yellow);
    EXPECT_EQ(infos[1].text, "Set LCD Success");
    EXPECT_EQ(infos[1].colour, colours::Green);
    EXPECT_TRUE(SetEnabled());

    // The zero byte ended the first text: the next one starts afresh.
    page.EditLine0->setText("A");
    page.EditLine1->clear();
    ClickSet();
    EXPECT_EQ(Ctl("get lcd"), "41 ");
    EXPECT_TRUE(dialogs->Boxes.empty());
    EXPECT_EQ(linkLost, 0);
}

TEST_F(LcdPageTest, RefusedTextEndsOnTheRefusal) {
    SetFailsWith("status:1", "Failed to set lcd.");
    for (const Info& i : infos)
        EXPECT_NE(i.text, "Set LCD Success");
    EXPECT_EQ(linkLost, 0);
    EXPECT_TRUE(SetEnabled());
}

TEST_F(LcdPageTest, LinkFailureIsReportedAndLosesTheLink) {
    SetFailsWith("wrong-command", "Set LCD Fail");
    EXPECT_EQ(linkLost, 1);
}

} // namespace
