// The main window against a real virtual board: connection sequence, LED
// commands, lost link, user disconnect and page switching, About.
#include <QElapsedTimer>
#include <QIcon>
#include <QImageReader>
#include <QLineEdit>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "skin/Colours.h"
#include "app/FormAbout.h"
#include "app/FormMain.h"
#include "board/Board.h"
#include "pages/DialogRecorder.h"
#include "pages/FormLCD.h"
#include "pages/FormLED.h"
#include "pages/Page.h"
#include "pages/PanelHost.h"
#include "platform/Assert.h"
#include "platform/UnixSocket.h"
#include "platform/System.h"
#include "platform/VBoardDir.h"
#include "core/ConnectSequence.h"
#include "skin/Animate.h"
#include "skin/ButtonManager.h"
#include "skin/CustomButton.h"
#include "skin/SkinResources.h"
#include "skin/WinColor.h"
#include "tests/gui/MainWindowFixture.h"
#include "tests/support/RecordingHost.h"
#include <QApplication>

namespace {

struct Line {
    std::string text;
    uint32_t colour;
};

uint32_t Hex(const std::string& text) {
    return static_cast<uint32_t>(std::stoul(text, nullptr, 16));
}

class MainWindowTest : public MainWindowFixture {
  protected:
    TFormLED* Led() { return static_cast<TFormLED*>(form->Page(PAGE_LED)); }

    void ClickLedCommand(int id) {
        const QPoint p = Centre(Led()->CommandButtons(), id);
        ClickAt(Led(), p.x(), p.y());
    }

    // The About dialog while it is open, or null.
    static TFormAbout* OpenAbout() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* about = qobject_cast<TFormAbout*>(w); about && about->isVisible())
                return about;
        return nullptr;
    }

    // Info or status lines as shown, with their colours; repeated texts count once.
    std::vector<Line> Lines(Kind kind) const {
        std::vector<Line> lines;
        for (const auto& e : recorder->Of(kind, kind == Kind::Info))
            lines.push_back({e.text, TPanelHost::Colour(e.tone)});
        return lines;
    }

    // The link is down and the window says so; the LED page stays shown.
    void ExpectDisconnected(bool tabsEnabled) {
        EXPECT_EQ(Status(), "Disconnected");
        EXPECT_EQ(StatusColour(), WinColor(colours::Red));
        EXPECT_FALSE(form->Board().IsConnected());
        EXPECT_TRUE(AllTabsEnabled(tabsEnabled));
        EXPECT_TRUE(Led()->isVisible());
        EXPECT_EQ(form->ButtonConnect.Caption, "Connect");
    }

    std::string Status() const { return form->StatusLabel()->text().toStdString(); }
    QColor StatusColour() const {
        return form->StatusLabel()->palette().color(QPalette::WindowText);
    }
    uint32_t BoardLeds() const { return Hex(board->CtlOk("get leds")); }

    bool AllTabsEnabled(bool enabled) {
        for (int id = 0; id < kPageCount; ++id)
            if (form->TabButtons().FindButton(id)->Enabled() != enabled)
                return false;
        return true;
    }
};

TEST_F(MainWindowTest, BlankBoardIsConfiguredThenConnected) {
    Start(false);
    // The first connect waits for the start-up timer.
    ASSERT_FALSE(recorder->Events.empty());
    EXPECT_GE(recorder->Events.front().atMs - createdMs, 290u);

    // Repeated texts (the configuration names its stage twice) count once.
    const std::vector<Line> seen = Lines(Kind::Info);
    const std::vector<Line> expected = {
        {"Connecting Board...", colours::Yellow},      {"Detect board type...", colours::Yellow},
        {"Fail to connect FPGA borad.", colours::Red}, {"Configure FPGA...", colours::Yellow},
        {"Configure FPGA success", colours::Green},    {"Connecting Board...", colours::Yellow},
        {"Detect board type...", colours::Yellow},     {"Check board ID...", colours::Yellow},
    };
    ASSERT_EQ(seen.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(seen[i].text, expected[i].text) << i;
        EXPECT_EQ(seen[i].colour, expected[i].colour) << seen[i].text;
    }
    const std::vector<Line> statuses = Lines(Kind::Status);
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back().text, "Connected");
    EXPECT_EQ(statuses.back().colour, colours::Green);
    EXPECT_EQ(Status(), "Connected");
    EXPECT_EQ(StatusColour(), WinColor(colours::Green));
    EXPECT_TRUE(dialogs->Boxes.empty());

    EXPECT_NE(board->CtlOk("status").find("configured=1"), std::string::npos);
    EXPECT_EQ(form->CurrentPage(), PAGE_LED);
    EXPECT_TRUE(form->TabButtons().IsButtonChecked(PAGE_LED));
    EXPECT_TRUE(Led()->isVisible());
    EXPECT_FALSE(form->Welcome()->isVisible());
    EXPECT_FALSE(form->Gauge()->isVisible());
    EXPECT_EQ(form->ButtonConnect.Caption, "Disconnect");
    EXPECT_TRUE(form->FrameVisible(0)); // ShapeLed
    // Attaching the LED page sends nothing: the board keeps its power-on LEDs.
    EXPECT_EQ(BoardLeds(), 0u);
}

// Another program (kbr370 rs232 term, say) holds the board's one link: the
// board answers, just not to us, and configuring would cut that program off.
TEST_F(MainWindowTest, HeldLinkIsSaidPlainlyAndNeverConfiguredOver) {
    int held = -1;
    Start(true, [&] { held = platform::ConnectUnix(platform::VBoardLinkSocket(board->Dir())); });
    ASSERT_GE(held, 0);

    EXPECT_EQ(Status(), "Disconnected");
    EXPECT_EQ(StatusColour(), WinColor(colours::Red));
    ASSERT_EQ(dialogs->Boxes.size(), 1u);
    EXPECT_EQ(dialogs->Boxes[0].kind, platform::MessageKind::Error);
    EXPECT_EQ(dialogs->Boxes[0].text, "The board's link is in use by another program. Close "
                                      "that program and try again.");
    for (const Line& l : Lines(Kind::Info))
        EXPECT_EQ(l.text.find("Configure FPGA"), std::string::npos) << l.text;
    EXPECT_EQ(board->CtlOk("status"), "configured=1 link=open");
    EXPECT_EQ(form->ButtonConnect.Caption, "Connect");
    EXPECT_FALSE(form->Gauge()->isVisible());
    close(held);
}

// A board directory others may enter gets nothing of ours: the window says
// why, as the command-line client does, and configures nothing.
TEST_F(MainWindowTest, BoardDirectoryNotOursIsNamedAndNeverConfigured) {
    Start(false, [&] { ASSERT_EQ(chmod(board->Dir().c_str(), 0711), 0); });
    ASSERT_EQ(dialogs->Boxes.size(), 1u);
    EXPECT_EQ(dialogs->Boxes[0].kind, platform::MessageKind::Error);
    EXPECT_NE(dialogs->Boxes[0].text.find("has mode 0711; it must be 0700"), std::string::npos)
        << dialogs->Boxes[0].text;
    EXPECT_EQ(form->InfoLabel()->text().toStdString(), dialogs->Boxes[0].text);
    EXPECT_EQ(Status(), "Disconnected");
    ASSERT_EQ(chmod(board->Dir().c_str(), 0700), 0);
    EXPECT_EQ(board->CtlOk("status"), "configured=0 link=closed");
}

TEST_F(MainWindowTest, LedButtonsDriveTheBoardAndTheirPictures) {
    Start(true);
    ASSERT_EQ(Status(), "Connected");
    TButtonManager& leds = Led()->LedButtons();
    TCustomButton* led3 = leds.FindButton(3);
    const QPoint at3(led3->X(), led3->Y());
    // Lit after construction, enabled once connected.
    EXPECT_TRUE(RegionMatches(Led()->GetCanvas().Image(), at3, Face("LEDG_LIGHT_BTN", 0)));

    ClickLedCommand(1); // Unlight All
    EXPECT_EQ(BoardLeds(), 0u);
    EXPECT_TRUE(RegionMatches(Led()->GetCanvas().Image(), at3, Face("LEDG_UNLIGHT_BTN", 0)));

    ClickLedCommand(0); // Light All
    EXPECT_EQ(BoardLeds(), 0x07FFFFFFu);

    const QPoint p = Centre(leds, 3);
    ClickAt(Led(), p.x(), p.y());
    EXPECT_EQ(BoardLeds(), 0x07FFFFF7u);
    EXPECT_FALSE(leds.IsButtonChecked(3));
    EXPECT_TRUE(RegionMatches(Led()->GetCanvas().Image(), at3, Face("LEDG_UNLIGHT_BTN", 0)));

    // A red LED of the upper row: id 9 is bit 9.
    const QPoint r0 = Centre(leds, 9);
    ClickAt(Led(), r0.x(), r0.y());
    EXPECT_EQ(BoardLeds(), 0x07FFFDF7u);
}

TEST_F(MainWindowTest, FailedCommandLosesTheLinkUntilConnectIsPressed) {
    Start(true);
    board->CtlOk("fault status:1");
    ClickLedCommand(1);

    ExpectDisconnected(false);
    EXPECT_EQ(form->CurrentPage(), PAGE_LED);
    EXPECT_TRUE(form->ButtonConnect.Enabled);
    // A disabled tab shows its disabled face (with its grey caption).
    form->RepaintNow();
    TCustomButton* tab = form->TabButtons().FindButton(PAGE_SEG7);
    QWidget scratchOwner;
    Canvas expected(&scratchOwner, form->GetCanvas().Size());
    expected.Image() = form->GetCanvas().Image().copy();
    tab->DrawFace(expected, bfDisabled);
    EXPECT_TRUE(
        RegionMatches(form->GetCanvas().Image(), {tab->X(), tab->Y()},
                      expected.Image().copy(tab->X(), tab->Y(), tab->Width(), tab->FaceHeight())));
    EXPECT_FALSE(
        RegionMatches(form->GetCanvas().Image(), {tab->X(), tab->Y()}, Face("TAB_BUTTON", 0)));

    // The page keeps its session, which is closed now: clicks send nothing.
    board->Ctl("log requests");
    Led()->ButtonLedLightAllClick();
    EXPECT_EQ(board->CtlOk("log requests"), "");
    EXPECT_EQ(Status(), "Disconnected");

    ClickSystem(BTN_CONNECT);
    EXPECT_EQ(Status(), "Connected");
    EXPECT_TRUE(AllTabsEnabled(true));
    EXPECT_EQ(form->CurrentPage(), PAGE_LED);
    ClickLedCommand(1);
    EXPECT_EQ(BoardLeds(), 0u);
}

TEST_F(MainWindowTest, SilentBoardLosesTheLink) {
    Start(true);
    form->Board().SetLimits(TBoard::TLimits().WithReplyLimit(800));
    board->CtlOk("fault drop");
    ClickLedCommand(0);
    ExpectDisconnected(false);
}

TEST_F(MainWindowTest, UserDisconnectLeavesPagesDetachedAndTabsUsable) {
    Start(true);
    ClickSystem(BTN_CONNECT);
    ExpectDisconnected(true);
    EXPECT_FALSE(Led()->LedButtons().FindButton(0)->Enabled());

    ClickTab(PAGE_BUTTON);
    EXPECT_EQ(form->CurrentPage(), PAGE_BUTTON);
    TPage* switches = form->Page(PAGE_BUTTON);
    EXPECT_TRUE(switches->isVisible());
    EXPECT_FALSE(Led()->isVisible());
    EXPECT_EQ(switches->Board(), &form->Board());
    EXPECT_FALSE(form->Board().IsConnected());
    EXPECT_TRUE(form->FrameVisible(2)); // ShapeButtonSw
    EXPECT_TRUE(form->FrameVisible(3)); // ShapeButton
    EXPECT_FALSE(form->FrameVisible(0));

    // Back on the LED page while disconnected: attached, but still disabled.
    ClickTab(PAGE_LED);
    EXPECT_EQ(form->CurrentPage(), PAGE_LED);
    EXPECT_EQ(switches->Board(), nullptr);
    EXPECT_FALSE(Led()->LedButtons().FindButton(0)->Enabled());
    Led()->ButtonLedUnlightAllClick();
    EXPECT_EQ(BoardLeds(), 0u);
    EXPECT_EQ(Status(), "Disconnected");

    // Connecting again shows the LED page with its tab checked.
    ClickTab(PAGE_VGA);
    ClickSystem(BTN_CONNECT);
    EXPECT_EQ(Status(), "Connected");
    EXPECT_EQ(form->CurrentPage(), PAGE_LED);
    EXPECT_TRUE(form->TabButtons().IsButtonChecked(PAGE_LED));
    EXPECT_FALSE(form->TabButtons().IsButtonChecked(PAGE_VGA));
    EXPECT_TRUE(Led()->LedButtons().FindButton(0)->Enabled());
}

TEST_F(MainWindowTest, AboutIsModalAndClosesWithItsButton) {
    Start(true);
    bool sawDialog = false;
    QTimer::singleShot(50, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* about = qobject_cast<TFormAbout*>(w);
            if (!about || !about->isVisible())
                continue;
            sawDialog = true;
            EXPECT_EQ(about->windowTitle(), "About Control Panel");
            EXPECT_EQ(about->size(), QSize(300, 300));
            const QPoint p = Centre(about->Buttons(), 0);
            ClickAt(about, p.x(), p.y());
        }
    });
    ClickSystem(BTN_ABOUT); // returns once the dialog has closed
    EXPECT_TRUE(sawDialog);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TFormAbout*>(w), nullptr);
}

TEST_F(MainWindowTest, DeviceFramesFollowThePage) {
    Start(true);
    const QImage background = LoadSkinBitmap("MAIN_UI").convertToFormat(QImage::Format_RGB32);
    const QColor yellow = WinColor(colours::Frame);
    auto pixel = [&](int x, int y) { return form->GetCanvas().Pixel(x, y); };
    auto onBackground = [&](int x, int y) {
        return pixel(x, y).rgb() == QColor(background.pixel(x, y)).rgb();
    };

    form->RepaintNow();
    // ShapeLed 159, 244, 292 x 12: a solid outline two pixels wide, clear inside.
    EXPECT_EQ(pixel(159, 244), yellow);
    EXPECT_EQ(pixel(160, 245), yellow);
    EXPECT_EQ(pixel(450, 255), yellow);
    EXPECT_TRUE(onBackground(300, 250));

    // ShapeSDCARD 144, 174, 39 x 46 is dotted.
    form->HighlightDevice(PAGE_SDCARD);
    form->RepaintNow();
    EXPECT_TRUE(onBackground(159, 244));
    int lit = 0, clear = 0;
    for (int x = 144; x < 144 + 39; ++x)
        (pixel(x, 174) == yellow ? lit : clear) += 1;
    EXPECT_GT(lit, 5);
    EXPECT_GT(clear, 5);

    // The memory page frames the memory it shows; kinds without a page still have frames.
    form->HighlightDevice(PAGE_MEMORY);
    EXPECT_TRUE(form->FrameVisible(4));  // ShapeSRAM
    EXPECT_FALSE(form->FrameVisible(6)); // ShapeSDRAM
    form->HighlightDevice(PAGE_GPIO);
    EXPECT_TRUE(form->FrameVisible(17));
    form->HighlightDevice(PAGE_WELCOME);
    for (int i = 0; i < kFrameCount; ++i)
        EXPECT_FALSE(form->FrameVisible(i)) << i;
}

TEST_F(MainWindowTest, ProgrammingContractsAreGuarded) {
    Start(true);
    TConnectSequence sequence(form->Board(), *recorder);
    EXPECT_THROW(sequence.ConfigureFpga(TConnectSequence::FPGA_UNSUPPORTED),
                 platform::AssertionFailure);
    EXPECT_THROW(form->BindPage(12, true), platform::AssertionFailure);
    EXPECT_THROW(form->BindPage(-1, false), platform::AssertionFailure);
    EXPECT_THROW(form->ShowPage(PAGE_AUDIO), platform::AssertionFailure);
    EXPECT_EQ(form->CurrentPage(), PAGE_LED);
    EXPECT_TRUE(Led()->isVisible());
}

TEST_F(MainWindowTest, GaugeAdvancesByElapsedTimeUpToItsEnd) {
    Start(true);
    QProgressBar* gauge = form->Gauge();
    form->Host().Progress(10, 40, 2000);
    EXPECT_TRUE(gauge->isVisible());
    EXPECT_EQ(gauge->value(), 0);
    Pump(500); // a quarter of the way: 17.5 %, give or take a slow machine
    EXPECT_GE(gauge->value(), 15);
    EXPECT_LT(gauge->value(), 40);
    Pump(1700);
    EXPECT_EQ(gauge->value(), 40);
    form->Host().ProgressEnd();
    EXPECT_FALSE(gauge->isVisible());
}

TEST_F(MainWindowTest, DraggedFromOutsideButtonsAndMinimised) {
    Start(true);
    auto drag = [&](QPoint from, QPoint to) {
        const QPoint before = form->pos();
        QTest::mousePress(form.get(), Qt::LeftButton, {}, from);
        QTest::mouseMove(form.get(), to);
        QTest::mouseRelease(form.get(), Qt::LeftButton, {}, to);
        return form->pos() - before;
    };
    // The title area holds no skinned button: the window follows the mouse.
    EXPECT_EQ(drag({300, 10}, {340, 40}), QPoint(40, 30));
    // Over a tab the press belongs to the button.
    const QPoint tab = Centre(form->TabButtons(), PAGE_LCD);
    EXPECT_EQ(drag(tab, tab + QPoint(5, 3)), QPoint(0, 0));
    EXPECT_EQ(form->CurrentPage(), PAGE_LCD);

    ClickSystem(BTN_MINI);
    EXPECT_TRUE(form->windowState() & Qt::WindowMinimized);
}

TEST_F(MainWindowTest, ReleaseOverTheShownTabChangesNothing) {
    Start(true);
    // An attach would clear the info line.
    const size_t before = recorder->Events.size();
    ClickTab(PAGE_LED);
    EXPECT_EQ(recorder->Events.size(), before);
    EXPECT_TRUE(form->TabButtons().IsButtonChecked(PAGE_LED));
    EXPECT_TRUE(Led()->LedButtons().FindButton(0)->Enabled());
}

// Keys move between pages exactly as tab clicks do, only to enabled tabs;
// Ctrl+Q closes as the close button does.
TEST_F(MainWindowTest, KeysSwitchPagesAsTabClicksDoAndClose) {
    Start(true);
    ASSERT_EQ(form->CurrentPage(), PAGE_LED);
    TPage* seg7 = form->Page(PAGE_SEG7);
    auto shows = [&](int kind) {
        return form->CurrentPage() == kind && form->Page(kind)->isVisible() &&
               form->Page(kind)->Board() == &form->Board() &&
               form->TabButtons().IsButtonChecked(kind);
    };

    Key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(shows(PAGE_SEG7));
    EXPECT_EQ(Led()->Board(), nullptr);
    EXPECT_FALSE(Led()->isVisible());
    EXPECT_FALSE(form->TabButtons().IsButtonChecked(PAGE_LED));
    EXPECT_TRUE(form->FrameVisible(1)); // ShapeSegDisp

    Key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(shows(PAGE_LED));
    EXPECT_EQ(seg7->Board(), nullptr);
    // Backwards from the first tab wraps to the last one of the second column.
    Key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_TRUE(shows(PAGE_IR));
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_TRUE(shows(PAGE_LED));

    // Alt+digit counts the tabs as they stand: the fourth is Memory, the
    // tenth (Alt+0) the second column's fourth, VGA.
    Key(Qt::Key_4, Qt::AltModifier);
    EXPECT_TRUE(shows(PAGE_MEMORY));
    EXPECT_EQ(Led()->Board(), nullptr);
    Key(Qt::Key_0, Qt::AltModifier);
    EXPECT_TRUE(shows(PAGE_VGA));
    Key(Qt::Key_1, Qt::AltModifier);
    EXPECT_TRUE(shows(PAGE_LED));

    // A disabled tab is skipped; with the link lost no tab takes a key.
    form->TabButtons().SetButtonEnabled(PAGE_SEG7, false);
    Key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(shows(PAGE_BUTTON));
    Key(Qt::Key_1, Qt::AltModifier);
    board->CtlOk("fault status:1");
    ClickLedCommand(1);
    ASSERT_TRUE(AllTabsEnabled(false));
    Key(Qt::Key_Tab, Qt::ControlModifier);
    Key(Qt::Key_4, Qt::AltModifier);
    EXPECT_EQ(form->CurrentPage(), PAGE_LED);
    EXPECT_TRUE(Led()->isVisible());

    // From wherever the focus is.
    ClickSystem(BTN_CONNECT);
    ASSERT_EQ(Status(), "Connected");
    Key(Qt::Key_7, Qt::AltModifier); // LCD
    ASSERT_EQ(form->CurrentPage(), PAGE_LCD);
    auto* lcd = static_cast<TFormLCD*>(form->Page(PAGE_LCD));
    lcd->EditLine0->setFocus();
    Key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible());
}

// F1 opens About, which Escape and Return close; the window shows the menu's icon.
TEST_F(MainWindowTest, F1OpensAboutWhichEscapeOrReturnCloses) {
    Start(true);
    for (Qt::Key closing : {Qt::Key_Escape, Qt::Key_Return}) {
        bool closed = false;
        QTimer::singleShot(50, [&] {
            TFormAbout* about = OpenAbout();
            ASSERT_NE(about, nullptr);
            EXPECT_EQ(about->windowIcon().cacheKey(), form->windowIcon().cacheKey());
            Key(about, closing);
            closed = OpenAbout() == nullptr;
        });
        Key(Qt::Key_F1); // returns once the dialog has closed
        EXPECT_TRUE(closed) << closing;
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    // The menu entry's picture, as the installed SVG draws it.
    const QIcon icon = form->windowIcon();
    ASSERT_FALSE(icon.isNull());
    QImageReader menuIcon(KBR_SOURCE_DIR "/packaging/kbr370-panel.svg");
    menuIcon.setScaledSize({48, 48});
    const QImage expected = menuIcon.read().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(expected.isNull()) << menuIcon.errorString().toStdString();
    EXPECT_EQ(icon.pixmap(QSize(48, 48), 1.0).toImage().convertToFormat(QImage::Format_ARGB32), expected);
}

// Tab walks the skinned buttons and then the page's controls, a dotted frame
// showing the focused button; Space and Return press it as a click does.
TEST_F(MainWindowTest, TabFocusesSkinnedButtonsWhichSpaceAndReturnPress) {
    Start(true);
    form->RepaintNow();
    const QImage untouched = form->GetCanvas().Image().copy();
    TCustomButton* ledTab = form->TabButtons().FindButton(PAGE_LED);
    EXPECT_EQ(ledTab->Focused(), false);

    // The first Tab reaches the first tab button: its face now has a frame.
    Key(Qt::Key_Tab);
    ASSERT_EQ(form->TabButtons().FocusedButton(), ledTab);
    form->RepaintNow();
    EXPECT_NE(form->GetCanvas().Image(), untouched);
    EXPECT_EQ(form->GetCanvas().Pixel(ledTab->X() + 2, ledTab->Y() + 2), QColor(Qt::white));

    // On through the system buttons into the page: the LEDs, then Light All.
    TButtonManager& commands = Led()->CommandButtons();
    for (int i = 0; i < 60 && commands.FocusedButton() == nullptr; ++i)
        Key(Qt::Key_Tab);
    ASSERT_NE(commands.FocusedButton(), nullptr);
    EXPECT_EQ(commands.FocusedButton()->Id(), 0);
    EXPECT_EQ(form->TabButtons().FocusedButton(), nullptr); // one focus at a time
    EXPECT_EQ(QApplication::focusWidget(), Led());
    Key(Qt::Key_Space);
    EXPECT_EQ(BoardLeds(), 0x07FFFFFFu);
    Key(Qt::Key_Tab);
    Key(Qt::Key_Return);
    EXPECT_EQ(BoardLeds(), 0u);
    // Past the page's last button the focus wraps to the first tab, and back.
    Key(Qt::Key_Tab);
    EXPECT_EQ(form->TabButtons().FocusedButton(), ledTab);
    EXPECT_EQ(commands.FocusedButton(), nullptr);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(commands.FocusedButton(), commands.FindButton(1));

    // A page's standard controls take their turn, and typing goes to them.
    Key(Qt::Key_7, Qt::AltModifier);
    auto* lcd = static_cast<TFormLCD*>(form->Page(PAGE_LCD));
    std::vector<QWidget*> visited;
    for (int i = 0; i < 30 && !lcd->EditLine1->hasFocus(); ++i) {
        Key(Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    ASSERT_TRUE(lcd->EditLine1->hasFocus());
    EXPECT_NE(std::find(visited.begin(), visited.end(), lcd->EditLine0), visited.end());
    EXPECT_EQ(lcd->Buttons().FocusedButton(), nullptr);
    lcd->EditLine1->clear();
    QTest::keyClicks(lcd->EditLine1, "Hi");
    EXPECT_EQ(lcd->EditLine1->text(), "Hi");
}

} // namespace
