// The SD card page against its own virtual board: a read fills the three
// texts, with any name a card holds readable; a refused read leaves them
// empty; a link failure loses the link; Read is greyed on screen while it runs.
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "pages/DialogRecorder.h"
#include "pages/FormSDCARD.h"
#include "skin/ButtonManager.h"
#include "skin/Colours.h"
#include "skin/CustomButton.h"
#include "tests/gui/BoardPageTest.h"

namespace {

class SdCardPageTest : public BoardPageTest {
  protected:
    SdCardPageTest() {
        Watch(page);
        page.RepaintNow();
    }
    void ClickRead() { ClickButton(&page, page.Buttons(), 0); }
    bool ReadEnabled() {
        return page.Buttons().FindButton(0)->Enabled() && page.ButtonSDCARD.Enabled;
    }
    bool LabelsEmpty() {
        return page.LabelSDCARD_CID->text().isEmpty() && page.LabelSDCARD_CSD->text().isEmpty() &&
               page.LabelSDCARD_FAT->text().isEmpty();
    }

    TFormSDCARD page{nullptr};
};

TEST_F(SdCardPageTest, ReadShowsTheCardAndARefusedReadLeavesNothing) {
    EXPECT_EQ(page.size(), QSize(387, 276));
    EXPECT_FALSE(ReadEnabled());
    EXPECT_TRUE(LabelsEmpty());
    page.AttachBoard(&session);
    ASSERT_TRUE(ReadEnabled());

    ClickRead();
    EXPECT_TRUE(page.LabelSDCARD_CID->text().contains("Manufacturer ID"));
    EXPECT_TRUE(page.LabelSDCARD_CSD->text().contains("7579MB"));
    EXPECT_EQ(page.LabelSDCARD_FAT->text(), "FAT32");
    EXPECT_EQ(infos.back().text, "Read SDCARD read successfully");
    EXPECT_EQ(infos.back().colour, colours::Green);
    EXPECT_TRUE(dialogs->Boxes.empty());

    Ctl("sd remove");
    ClickRead();
    EXPECT_TRUE(LabelsEmpty()) << "no texts of the earlier card";
    EXPECT_EQ(infos.back().text, "Failed to access SDCARD.");
    EXPECT_EQ(infos.back().colour, colours::Red);
    ASSERT_EQ(dialogs->Boxes.size(), 1u);
    EXPECT_EQ(dialogs->Boxes[0].kind, platform::MessageKind::Warning);
    EXPECT_EQ(dialogs->Boxes[0].text, "Failed to access the SDCARD.\n"
                                      "Please make sure a SDCARD is pluged into the KBR-370.");
    EXPECT_EQ(linkLost, 0);
    EXPECT_TRUE(ReadEnabled());

    page.DetachBoard();
    EXPECT_FALSE(ReadEnabled());
}

TEST_F(SdCardPageTest, TheCardsNameIsLatin1WithItsControlBytesWrittenOut) {
    // Name bytes S D 0xE9 LF B.
    Ctl("sd insert 400E00325B5900003B377F800A400000 1D53445344E90A42104B523730016300 2");
    page.AttachBoard(&session);
    ClickRead();
    const QString cid = page.LabelSDCARD_CID->text();
    EXPECT_TRUE(cid.contains(QString::fromUtf8("-Product Name:SD\u00e9^JB\n")))
        << cid.toStdString();
    EXPECT_EQ(cid.count('\n'), 6) << "one line per field";
}

// The page's pixels as the screen last got them, not its canvas.
QImage OnScreen(QWidget& window) {
    return window.screen()->grabWindow(window.winId()).toImage();
}

TEST_F(SdCardPageTest, ReadIsGreyedOnScreenDuringTheRead) {
    page.show();
    page.AttachBoard(&session);
    const TCustomButton* b = page.Buttons().FindButton(0);
    const QPoint at(b->X(), b->Y());
    auto onScreen = [&](TButtonFace face) {
        const QImage strip = Face("NORMAL_BTN", face);
        return RegionMatches(OnScreen(page), at, strip.copy(0, 0, strip.width(), 3));
    };
    ASSERT_TRUE(WaitFor([&] { return onScreen(bfNormal); }, 2000));

    // The user presses, sees the pressed face, and lets go.
    const QPoint middle = at + QPoint(b->Width() / 2, b->FaceHeight() / 2);
    QTest::mousePress(&page, Qt::LeftButton, {}, middle);
    ASSERT_TRUE(WaitFor([&] { return onScreen(bfPressed); }, 2000));
    QTest::mouseRelease(&page, Qt::LeftButton, {}, middle);
    // The read held the event loop, and nothing has run it since: the screen
    // still shows what it showed while the card was read.
    EXPECT_TRUE(onScreen(bfDisabled));
    EXPECT_FALSE(page.LabelSDCARD_FAT->text().isEmpty()) << "the read is over";
    ASSERT_TRUE(WaitFor([&] { return onScreen(bfNormal) || onScreen(bfHot); }, 2000));
}

TEST_F(SdCardPageTest, LinkFailureClearsTheTextsAndLosesTheLink) {
    page.AttachBoard(&session);
    ClickRead();
    ASSERT_FALSE(LabelsEmpty());
    Ctl("fault wrong-command");
    ClickRead();
    EXPECT_TRUE(LabelsEmpty());
    ASSERT_EQ(dialogs->Boxes.size(), 1u);
    EXPECT_EQ(dialogs->Boxes[0].kind, platform::MessageKind::Error);
    EXPECT_EQ(dialogs->Boxes[0].text, "Failed to access SDCARD.");
    EXPECT_EQ(linkLost, 1);
}

} // namespace
