// The LED page on its own, without a link: its start state, its pictures and
// the rules for a session that is not connected.
#include <QApplication>

#include "board/Board.h"
#include "pages/DialogRecorder.h"
#include "pages/Dialogs.h"
#include "pages/FormLED.h"
#include "pages/PanelHost.h"
#include "platform/Hooks.h"
#include "skin/ButtonManager.h"
#include "skin/CustomButton.h"
#include "skin/WinColor.h"
#include "tests/gui/GuiTestSupport.h"

namespace {

class LedPageTest : public GuiTest {
  protected:
    LedPageTest() { page.RepaintNow(); }

    QImage Pixels() const { return const_cast<TFormLED&>(page).GetCanvas().Image(); }
    bool Shows(int id, const char* strip, int face) {
        TCustomButton* b = page.LedButtons().FindButton(id);
        return RegionMatches(Pixels(), {b->X(), b->Y()}, Face(strip, face));
    }

    TFormLED page{nullptr};
};

TEST_F(LedPageTest, StartsLitAndDisabled) {
    EXPECT_EQ(page.size(), QSize(387, 276));
    EXPECT_EQ(page.LedMask(), 0x07FFFFFFu);
    for (int id = 0; id < TFormLED::kLedCount; ++id)
        EXPECT_FALSE(page.LedButtons().FindButton(id)->Enabled()) << id;
    EXPECT_FALSE(page.ButtonLedLightAll.Enabled);
    EXPECT_TRUE(Shows(0, "LEDG_LIGHT_BTN", 1));
    EXPECT_TRUE(Shows(8, "LEDG_LIGHT_BTN", 1));
    EXPECT_TRUE(Shows(9, "LEDR_LIGHT_BTN", 1));
    EXPECT_TRUE(Shows(26, "LEDR_LIGHT_BTN", 1));
    // LED 0 of a row is the rightmost picture.
    EXPECT_EQ(page.LedButtons().FindButton(0)->X(), 332);
    EXPECT_EQ(page.LedButtons().FindButton(8)->X(), 28);
    EXPECT_EQ(page.LedButtons().FindButton(18)->Y(), 180);
}

TEST_F(LedPageTest, LabelsAreWrittenUnderTheirLeds) {
    // Some pixels of the label rows carry the label colours.
    auto count = [&](int top, QColor colour) {
        int n = 0;
        const QImage img = Pixels();
        for (int y = top; y < top + 12; ++y)
            for (int x = 0; x < img.width(); ++x)
                if (QColor(img.pixel(x, y)) == colour)
                    ++n;
        return n;
    };
    EXPECT_GT(count(80, WinColor(0x30FF00)), 20);
    EXPECT_GT(count(150, WinColor(0x0000FF)), 20);
    EXPECT_GT(count(220, WinColor(0x0000FF)), 20);
}

TEST_F(LedPageTest, ClicksDoNothingWhileDisabled) {
    TCustomButton* b = page.LedButtons().FindButton(3);
    ClickAt(&page, b->X() + 5, b->Y() + 5);
    EXPECT_TRUE(page.LedButtons().IsButtonChecked(3));
    EXPECT_EQ(page.LedMask(), 0x07FFFFFFu);
}

TEST_F(LedPageTest, ClosedSessionSendsNothingAndRaisesNothing) {
    TBoard session;
    int lost = 0;
    std::vector<std::string> infos;
    TInfoWatch watch([&](const std::string& text, uint32_t colour) {
        infos.push_back(text);
        EXPECT_EQ(colour, 0x008000u);
    });
    page.SetHost(watch);
    page.OnLinkLost = [&](TPage*) { ++lost; };
    page.AttachBoard(&session);
    EXPECT_EQ(infos, std::vector<std::string>{""});
    EXPECT_FALSE(page.LedButtons().FindButton(0)->Enabled());

    page.ButtonLedUnlightAllClick();
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(page.LedMask(), 0u);
    EXPECT_TRUE(Shows(5, "LEDG_UNLIGHT_BTN", 1));
    EXPECT_TRUE(Shows(20, "LEDR_UNLIGHT_BTN", 1));

    // The states survive a detach and a new attach.
    page.DetachBoard();
    page.AttachBoard(&session);
    EXPECT_EQ(page.LedMask(), 0u);
    page.ButtonLedLightAllClick();
    EXPECT_EQ(page.LedMask(), 0x07FFFFFFu);
    EXPECT_EQ(lost, 0);
}

TEST(DialogHooks, ReportedBoxesReachTheInstalledDialogs) {
    auto recorder = std::make_unique<TDialogRecorder>();
    TDialogRecorder* r = recorder.get();
    SetDialogs(std::move(recorder));
    TPanelHost().Box(platform::MessageKind::Warning, "careful");
    ASSERT_EQ(r->Boxes.size(), 1u);
    EXPECT_EQ(r->Boxes[0].kind, platform::MessageKind::Warning);
    EXPECT_EQ(r->Boxes[0].text, "careful");

    std::string path = "keep";
    EXPECT_FALSE(r->OpenFileName("t", "*.bin", path));
    EXPECT_EQ(path, "keep");
    r->FileAnswers.push_back("/tmp/x.hex");
    EXPECT_TRUE(r->SaveFileName("t", "*.hex", "hex", path));
    EXPECT_EQ(path, "/tmp/x.hex");
    SetDialogs(nullptr);
}

} // namespace
