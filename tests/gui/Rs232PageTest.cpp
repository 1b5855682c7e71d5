// The RS232 page against its own virtual board: monitoring from attach, Send
// in pieces, the receive box poll by poll, bytes above 0x7F both ways, a
// refused start, and the board's mode after the page is left. The receive box
// as a terminal: its text selected and copied, every control byte visible.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <algorithm>

#include "board/VisibleText.h"

#include "pages/DeviceMonitor.h"
#include "pages/FormRS232.h"
#include "skin/ButtonManager.h"
#include "skin/CustomButton.h"
#include "skin/TextLog.h"
#include "tests/gui/BoardPageTest.h"

namespace {

class Rs232PageTest : public BoardPageTest {
  protected:
    Rs232PageTest() { Watch(page); }

    void PollOnce() { page.Monitor().Tick(); }
    QString Received() const { return page.EditRx->Text(); }
    int CountOf(const std::string& ids, const std::string& id) {
        int n = 0;
        for (size_t at = ids.find(id); at != std::string::npos; at = ids.find(id, at + 1))
            ++n;
        return n;
    }

    TFormRS232 page{nullptr};
};

TEST_F(Rs232PageTest, SendsAndReceivesEveryByteAndSwitchesTheModeOffWhenLeft) {
    page.AttachBoard(&session);
    EXPECT_EQ(Modes(), "ir=0 rs232=1 ps2=0");
    EXPECT_EQ(LastInfo().text, "RS232 Monitor...");
    EXPECT_TRUE(page.Monitor().IsPolling());
    EXPECT_TRUE(page.Buttons().FindButton(0)->Enabled());

    // 200 characters and the zero byte go out as 128 + 73.
    page.EditSend->setText(QString(200, QChar('q')));
    Ctl("log requests");
    ClickButton(&page, page.Buttons(), 0);
    EXPECT_EQ(LastInfo().text, "RS232 transmit successfully.");
    EXPECT_EQ(CountOf(Ctl("log requests"), "1F"), 2);
    std::string sent;
    for (int i = 0; i < 200; ++i)
        sent += "71";
    EXPECT_EQ(Ctl("get rs232-tx"), sent + "00");
    EXPECT_EQ(page.EditSend->text().size(), 200) << "the send box keeps its text";

    // Bytes above 0x7F are single characters both ways; the box takes none
    // it could not send as one byte.
    page.EditSend->clear();
    for (const QChar c : QString::fromUtf8("A\u00e9\u20ac"))
        QTest::sendKeyEvent(QTest::Click, page.EditSend, Qt::Key_unknown, QString(c), {});
    EXPECT_EQ(page.EditSend->text(), QString::fromUtf8("A\u00e9"));
    ClickButton(&page, page.Buttons(), 0);
    EXPECT_EQ(Ctl("get rs232-tx"), "41E900");

    // What arrives is appended poll by poll. A zero byte only ends one sent
    // text: what follows it in the same poll is kept, whatever the timing.
    Ctl("rs232 push 7879");
    PollOnce();
    Ctl("rs232 push 7A");
    PollOnce();
    EXPECT_EQ(Received(), "xyz");
    PollOnce();
    Ctl("rs232 push 41410042420A");
    PollOnce();
    Ctl("rs232 push E9FF0D0A");
    PollOnce();
    EXPECT_EQ(Received(), QString::fromLatin1("xyzAABB\n\xE9\xFF\r\n"));

    // Through a loopback plug, what is sent comes back.
    Ctl("rs232 loopback 1");
    page.EditSend->setText("AB");
    ClickButton(&page, page.Buttons(), 0);
    ASSERT_TRUE(WaitFor([&] { return Received().endsWith("AB"); }, 5000));

    ClickButton(&page, page.Buttons(), 1);
    EXPECT_EQ(Received(), "");

    page.DetachBoard();
    EXPECT_EQ(Modes(), "ir=0 rs232=0 ps2=0");
    EXPECT_FALSE(page.Monitor().IsPolling());
    EXPECT_FALSE(page.Buttons().FindButton(0)->Enabled());
    EXPECT_TRUE(page.Buttons().FindButton(1)->Enabled()) << "Clear is never disabled";
    EXPECT_EQ(linkLost, 0);
}

TEST_F(Rs232PageTest, ReceivedTextCanBeSelectedAndCopied) {
    page.show();
    QApplication::setActiveWindow(&page);
    page.AttachBoard(&session);
    Ctl("rs232 push 68656C6C6F0D0A776F726C64"); // hello CR LF world
    PollOnce();
    TTextLog* rx = page.EditRx;
    QWidget* view = rx->viewport();
    const int line = rx->fontMetrics().height();

    // A click takes the focus; a drag from the first line's start to the
    // second line's end selects both lines.
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(0, line / 2));
    QTest::mouseMove(view, QPoint(view->width() - 1, line + line / 2));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(view->width() - 1, line + line / 2));
    EXPECT_EQ(page.focusWidget(), rx);
    EXPECT_EQ(rx->SelectedText(), "hello\r\nworld");
    QTest::keyClick(rx, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "hello\r\nworld");

    Ctl("rs232 push 21");
    PollOnce();
    QTest::keyClick(rx, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(rx, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "hello\r\nworld!");

    // The context menu: Copy, only with a selection, and Select All.
    EXPECT_EQ(rx->contextMenuPolicy(), Qt::ActionsContextMenu);
    QStringList menu;
    for (const QAction* action : rx->actions())
        menu << action->text().remove('&');
    EXPECT_EQ(menu, QStringList({"Copy", "Select All"}));
    QGuiApplication::clipboard()->clear();
    ClickButton(&page, page.Buttons(), 1); // Clear
    Ctl("rs232 push 4F4B");
    PollOnce();
    EXPECT_FALSE(rx->CopyAction->isEnabled());
    rx->SelectAllAction->trigger();
    ASSERT_TRUE(rx->CopyAction->isEnabled());
    rx->CopyAction->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "OK");
}

// The receive box's pixels for `received`, as the font installed here draws them.
QImage Drawn(TTextLog* rx, const QString& received) {
    rx->Clear();
    rx->Append(received);
    return rx->viewport()->grab().toImage();
}

TEST_F(Rs232PageTest, EveryControlByteIsDrawnVisiblyAndDistinctly) {
    page.show();
    TTextLog* rx = page.EditRx;
    const QFontMetrics metrics(rx->font());
    const QImage empty = Drawn(rx, "");
    std::vector<QImage> seen;
    for (int byte = 0; byte < 0xA0; ++byte) {
        if ((byte >= 0x20 && byte < 0x7F) || byte == '\n')
            continue;
        SCOPED_TRACE(byte);
        const QString shown = QString::fromStdString(ControlNotation(static_cast<uint8_t>(byte)));
        for (const QChar c : shown)
            EXPECT_TRUE(metrics.inFont(c)) << "the box's font draws " << int{c.unicode()};
        const QImage image = Drawn(rx, QString(QChar(byte)));
        EXPECT_NE(image, empty);
        EXPECT_NE(image, Drawn(rx, shown)) << "a notation never passes for received text";
        EXPECT_EQ(std::count(seen.begin(), seen.end(), image), 0) << "drawn like another byte";
        seen.push_back(image);
    }

    // A CR that ends a line with its LF is part of the break, also when the
    // LF comes a poll later; a CR on its own shows.
    const QImage lines = Drawn(rx, "AB\nCD");
    EXPECT_EQ(Drawn(rx, "AB\r\nCD"), lines);
    const QImage ab = Drawn(rx, "AB");
    EXPECT_NE(Drawn(rx, "AB\r"), ab);
    rx->Append("\nCD");
    EXPECT_EQ(rx->viewport()->grab().toImage(), lines);
}

TEST_F(Rs232PageTest, RefusedMonitoringLeavesThePageIdleWithoutALostLink) {
    Ctl("fault status:1");
    page.AttachBoard(&session);
    EXPECT_EQ(LastInfo().text, "Failed to start RS232");
    EXPECT_EQ(LastInfo().colour, 0x0000FFu);
    EXPECT_FALSE(page.Monitor().IsPolling());
    EXPECT_FALSE(page.Buttons().FindButton(0)->Enabled());
    EXPECT_EQ(linkLost, 0);

    // A refused read says so and polling goes on; a failed exchange is a lost link.
    page.DetachBoard();
    page.AttachBoard(&session);
    Ctl("fault status:1");
    PollOnce();
    EXPECT_EQ(LastInfo().text, "RS232 receive fail.");
    EXPECT_TRUE(page.Monitor().IsPolling());
    Ctl("fault drop");
    PollOnce();
    EXPECT_EQ(linkLost, 1);
    EXPECT_FALSE(page.Monitor().IsPolling());
}

} // namespace
