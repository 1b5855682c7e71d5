// The memory page against a real virtual board: word access and its limits,
// file transfers in binary and HEX, Abort, failures on the link, the flash
// erase, a save never spoiling the file it replaces nor replacing what is not
// ours, names taken from the user's folder, and the colours of its lists and
// edits. The main-window cases switch tabs, disconnect and close in the
// middle of a transfer or an erase.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include <fmt/format.h>

#include "app/FormMain.h"
#include "board/Board.h"
#include "pages/DialogRecorder.h"
#include "pages/Dialogs.h"
#include "pages/FormMemory.h"
#include "pages/FormProgress.h"
#include "pages/FormVGA.h"
#include "core/formats/HexCodec.h"
#include "platform/System.h"
#include "skin/ButtonManager.h"
#include "skin/Colours.h"
#include "skin/CustomButton.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/MainWindowFixture.h"
#include "tests/support/FileSizeLimit.h"

namespace {

struct Line {
    std::string text;
    uint32_t colour;
};

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

// Runs `action` once, from inside a flow's message pump, as soon as `when` holds.
class MidFlow {
  public:
    MidFlow(std::function<bool()> when, std::function<void()> action)
        : when(std::move(when)), action(std::move(action)) {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (!fired && this->when()) {
                fired = true;
                timer.stop();
                this->action();
            }
        });
        timer.start(0);
    }
    bool fired = false;

  private:
    QTimer timer;
    std::function<bool()> when;
    std::function<void()> action;
};

bool ProgressAtLeast(TFormMemory& page, int pct) {
    TFormProgress* p = page.ActiveProgress();
    return p && p->ProgressBar->value() >= pct;
}

class MemoryPageTest : public GuiTest {
  protected:
    MemoryPageTest() {
        std::string error;
        EXPECT_TRUE(session.Connect(error, 0)) << error;
        infoWatch = std::make_unique<TInfoWatch>([this](const std::string& text, uint32_t colour) {
            if (!text.empty())
                infos.push_back({text, colour});
        });
        page.SetHost(*infoWatch);
        page.OnLinkLost = [this](TPage*) {
            events.push_back("lost");
            session.Disconnect();
        };
        page.AttachBoard(&session);
    }
    ~MemoryPageTest() override { infoWatch.reset(); }

    void Choose(int index) { page.ComboBoxMemType->setCurrentIndex(index); }
    Line LastInfo() const { return infos.empty() ? Line{} : infos.back(); }
    std::string Mem(int code, uint32_t address, uint32_t count) {
        return vboard.CtlOk(fmt::format("mem read {} 0x{:X} {}", code, address, count));
    }
    // Presses a skinned button of the page.
    void Press(int id) {
        TCustomButton* b = page.Buttons().FindButton(id);
        ClickAt(&page, b->X() + 5, b->Y() + 5);
    }
    void Save(const std::string& path, const char* address, const char* length) {
        page.EditMemReadAddr->setText(address);
        page.EditMemReadLen->setText(length);
        dialogs->FileAnswers.push_back(path);
        Press(4);
    }
    void Write(const std::string& path, const char* address) {
        page.EditMemWriteAddr->setText(address);
        dialogs->FileAnswers.push_back(path);
        Press(3);
    }

    TestVBoard vboard;
    TempDir files;
    TBoard session;
    TFormMemory page{nullptr};
    std::vector<Line> infos;
    std::unique_ptr<TInfoWatch> infoWatch;
    std::vector<std::string> events;
};

TEST_F(MemoryPageTest, StartStateAndFlashNote) {
    TFormMemory fresh{nullptr};
    EXPECT_EQ(fresh.size(), QSize(387, 276));
    EXPECT_EQ(fresh.ComboBoxMemType->itemText(2).toStdString(), "SDRAM (4000000h WORDS, 128 MB)");
    EXPECT_FALSE(fresh.ButtonMemoryRandomRead.Enabled);
    fresh.ComboBoxMemType->setCurrentIndex(3);
    // FLASH without a session: the note shows, the erase stays off.
    EXPECT_FALSE(fresh.LabelMemFlashHint->isHidden());
    EXPECT_FALSE(fresh.ButtonMemRdmErase.Enabled);
    EXPECT_EQ(fresh.Buttons().FindButton(2)->Caption().toStdString(), "Chip Erase (75 sec)");

    EXPECT_TRUE(page.ButtonMemoryRandomRead.Enabled);
    EXPECT_FALSE(page.ButtonMemRdmErase.Enabled);
    int frames = 0;
    page.OnFramedPartChanged = [&](TPage*) { ++frames; };
    Choose(3);
    EXPECT_TRUE(page.ButtonMemRdmErase.Enabled);
    EXPECT_GE(frames, 1);
    EXPECT_EQ(page.FramedPart(), 3);
}

TEST_F(MemoryPageTest, RandomAccessAndAddressLimits) {
    // The highest word of each memory is accepted, one more is refused.
    const char* last[] = {"FFFFF", "7FF", "3FFFFFF", "3FFFFF"};
    for (int i = 0; i < 4; ++i) {
        Choose(i);
        page.EditMemRdmAddr->setText(last[i]);
        page.ButtonMemoryRandomReadClick();
        EXPECT_EQ(dialogs->Boxes.size(), 0u) << i;
    }
    Choose(0);
    page.EditMemRdmAddr->setText("100000");
    page.ButtonMemoryRandomReadClick();
    ASSERT_EQ(dialogs->Boxes.size(), 1u);
    EXPECT_EQ(dialogs->Boxes[0].text, "The input value(100000) for the field 'Address' is expected "
                                      "to less or equal to FFFFFh.");
    EXPECT_EQ(dialogs->Boxes[0].kind, platform::MessageKind::Error);
    EXPECT_EQ(LastInfo().text, "SRAM Random Read Fail");
    EXPECT_EQ(LastInfo().colour, colours::Red);
    page.EditMemRdmAddr->setText("");
    page.ButtonMemoryRandomWriteClick();
    EXPECT_EQ(dialogs->Boxes.back().text, "Value '' is invalid for 'Address'");

    // Word 0x10 is byte 0x20; a word travels low byte first.
    vboard.CtlOk("mem write 6 0x20 3412");
    page.EditMemRdmAddr->setText("10");
    page.ButtonMemoryRandomReadClick();
    EXPECT_EQ(page.EditMemRdmRead->text().toStdString(), "1234");
    EXPECT_EQ(LastInfo().text, "SRAM Random Read Success");
    EXPECT_EQ(LastInfo().colour, colours::Green);
    page.EditMemRdmWrite->setText("ABCD");
    page.EditMemRdmAddr->setText("11");
    Press(1);
    EXPECT_EQ(Mem(6, 0x22, 2), "CDAB");
    EXPECT_EQ(LastInfo().text, "SRAM Random Write Success");

    // No Ping, no lost link: a failed request only says Fail.
    vboard.CtlOk("log requests");
    vboard.CtlOk("fault status:1");
    page.ButtonMemoryRandomReadClick();
    EXPECT_EQ(LastInfo().text, "SRAM Random Read Fail");
    EXPECT_EQ(page.EditMemRdmRead->text().toStdString(), "1234");
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(vboard.CtlOk("log requests"), "0E");
}

TEST_F(MemoryPageTest, HexSaveAndWriteBack) {
    std::string bytes;
    for (int i = 0; i < 32; ++i)
        bytes += fmt::format("{:02X}", 0xA0 + i * 3);
    vboard.CtlOk("mem write 6 0x200 " + bytes);

    const std::string hex = files.File("range.HEX");
    Save(hex, "100", "10");
    EXPECT_EQ(Contents(hex), bytes); // 64 upper-case digits, nothing else
    EXPECT_EQ(LastInfo().colour, colours::Green);
    EXPECT_EQ(LastInfo().text.rfind("Load SRAM Content to a File Success. (", 0), 0u);
    const std::string bin = files.File("range.bin");
    Save(bin, "100", "10");
    EXPECT_EQ(Contents(bin).size(), 32u);

    vboard.CtlOk("mem write 6 0x200 " + std::string(64, '0'));
    page.CheckBoxMemWriteFileLen->setChecked(true);
    page.EditMemWriteLen->setText("0");
    Write(hex, "100");
    EXPECT_EQ(Mem(6, 0x200, 32), bytes);
    EXPECT_EQ(page.EditMemWriteLen->text().toStdString(), "10");
    EXPECT_EQ(LastInfo().text.rfind("Write a File to SRAM Success.[", 0), 0u);

    // A line end is no hex digit: a warning, then the Fail status and box.
    WriteFile(files.File("bad.hex"), "0102\n");
    Write(files.File("bad.hex"), "0");
    ASSERT_EQ(dialogs->Boxes.size(), 2u);
    EXPECT_EQ(dialogs->Boxes[0].text, "invalid hex file.");
    EXPECT_EQ(dialogs->Boxes[0].kind, platform::MessageKind::Warning);
    EXPECT_EQ(dialogs->Boxes[1].text.rfind("Write a File to SRAM Fail.[", 0), 0u);
    EXPECT_TRUE(events.empty());

    // A typed length longer than the file: the warning alone, no error box.
    page.CheckBoxMemWriteFileLen->setChecked(false);
    page.EditMemWriteLen->setText("11");
    Write(hex, "100");
    ASSERT_EQ(dialogs->Boxes.size(), 3u);
    EXPECT_EQ(dialogs->Boxes[2].text, "File(" + hex + ") size is less than the specified length.");
    EXPECT_EQ(LastInfo().colour, colours::Red);
}

// The user started in one folder; opening the link moved the current
// directory to the program's. A relative name the dialog gives is the user's
// folder's, for a save and a load alike.
TEST_F(MemoryPageTest, RelativeNamesAreTakenFromTheUserFolder) {
    ASSERT_EQ(platform::CurrentDirectory() + "/", platform::ProgramDirectory());
    const std::string stray = platform::ProgramDirectory() + "words.hex";
    struct Restore {
        ~Restore() { SetUserDirectory(""); }
    } restore;
    SetUserDirectory(files.Path());

    vboard.CtlOk("mem write 6 0x200 BEEF");
    Save("words.hex", "100", "1");
    EXPECT_EQ(Contents(files.File("words.hex")), "BEEF");
    EXPECT_FALSE(platform::FileExists(stray));
    unlink(stray.c_str());

    vboard.CtlOk("mem write 6 0x200 0000");
    page.CheckBoxMemWriteFileLen->setChecked(true);
    Write("words.hex", "100");
    EXPECT_EQ(Mem(6, 0x200, 2), "BEEF");
    EXPECT_TRUE(dialogs->Boxes.empty());
}

TEST_F(MemoryPageTest, FileCutAtMemoryEndAndEntireSram) {
    Choose(1); // EEPROM, 4 KB: word 0x7F0 leaves 32 bytes
    WriteFile(files.File("long.bin"), std::string(5000, '\x5A'));
    page.CheckBoxMemWriteFileLen->setChecked(true);
    Write(files.File("long.bin"), "7F0");
    EXPECT_TRUE(dialogs->Boxes.empty());
    EXPECT_EQ(page.EditMemWriteLen->text().toStdString(), "10");
    std::string expected;
    for (int i = 0; i < 32; ++i)
        expected += "5A";
    EXPECT_EQ(Mem(5, 0xFE0, 32), expected);
    // Five bytes give a length of three words.
    WriteFile(files.File("five.bin"), "12345");
    Write(files.File("five.bin"), "0");
    EXPECT_EQ(page.EditMemWriteLen->text().toStdString(), "3");

    // "Entire Memory" ignores the fields: all of SRAM from address 0.
    Choose(0);
    vboard.CtlOk("mem write 6 0x1FFFFE BEEF");
    page.EditMemReadAddr->setText("zz");
    QTest::mouseClick(page.LabelEntireMemory, Qt::LeftButton);
    EXPECT_TRUE(page.CheckBoxMemReadEntireMem->isChecked());
    EXPECT_FALSE(page.EditMemReadAddr->isEnabled());
    EXPECT_EQ(page.EditMemReadAddr->text().toStdString(), "00000");
    EXPECT_EQ(page.EditMemReadLen->text().toStdString(), "100000");
    dialogs->FileAnswers.push_back(files.File("sram.bin"));
    page.ButtonMemRead2FileClick();
    const std::string all = Contents(files.File("sram.bin"));
    ASSERT_EQ(all.size(), 0x200000u);
    EXPECT_EQ(all.substr(0x1FFFFE), "\xBE\xEF");
}

TEST_F(MemoryPageTest, AbortAndFailedWrite) {
    WriteFile(files.File("mb.bin"), std::string(0x100000, '\x11'));
    page.CheckBoxMemWriteFileLen->setChecked(true);
    MidFlow abort([&] { return ProgressAtLeast(page, 10); },
                  [&] { QTest::mouseClick(page.ActiveProgress()->ButtonAbort, Qt::LeftButton); });
    Write(files.File("mb.bin"), "0");
    EXPECT_TRUE(abort.fired);
    EXPECT_EQ(LastInfo().text, "Write a File to SRAM Aborted.");
    EXPECT_EQ(LastInfo().colour, colours::Red);
    EXPECT_TRUE(dialogs->Boxes.empty());
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(Mem(6, 0xFFFFE, 2), "0000"); // stopped well before the end
    EXPECT_EQ(page.ActiveProgress(), nullptr);
    EXPECT_TRUE(page.ButtonMemWrite2FMem.Enabled);

    // A request failing in the loop: the Fail report first, then the lost link.
    page.OnLinkLost = [&](TPage*) { events.push_back("lost:" + LastInfo().text); };
    MidFlow fault([&] { return ProgressAtLeast(page, 10); },
                  [&] { vboard.CtlOk("fault status:1"); });
    Write(files.File("mb.bin"), "0");
    ASSERT_EQ(dialogs->Boxes.size(), 1u);
    EXPECT_EQ(dialogs->Boxes[0].text.rfind("Write a File to SRAM Fail.[", 0), 0u);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], "lost:" + dialogs->Boxes[0].text);
}

TEST_F(MemoryPageTest, EraseStepsInOrderWithPercents) {
    vboard.CtlOk("erase step-ms 1");
    Choose(3);
    // Mark the start of every sector (8 MB / 64 steps) as written.
    for (int s = 0; s < 64; ++s)
        vboard.CtlOk(fmt::format("mem write 3 0x{:X} 00", s * 0x20000));
    vboard.CtlOk("log requests");
    std::vector<std::string> labels;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (TFormProgress* p = page.ActiveProgress()) {
            const std::string text = p->LabelStatus->text().toStdString();
            if (labels.empty() || labels.back() != text)
                labels.push_back(text);
        }
    });
    watch.start(0);
    Press(2);
    watch.stop();
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ(labels.front(), "Finish Percentage: 0%");
    EXPECT_EQ(labels.back(), "Finish Percentage: 98%");
    std::string expected = "0A";
    for (int s = 0; s < 64; ++s)
        expected += " 0B";
    EXPECT_EQ(vboard.CtlOk("log requests"), expected);
    for (int s = 0; s < 64; ++s)
        EXPECT_EQ(Mem(3, s * 0x20000, 1), "FF") << s;
    // A quick erase still names its whole seconds.
    EXPECT_EQ(LastInfo().text, "Flash Erase success (0 seconds)");
    EXPECT_EQ(LastInfo().colour, colours::Green);

    // Abort half-way: the erased sectors are exactly those from 0 on.
    for (int s = 0; s < 64; ++s)
        vboard.CtlOk(fmt::format("mem write 3 0x{:X} 00", s * 0x20000));
    MidFlow abort([&] { return ProgressAtLeast(page, 50); },
                  [&] { page.ActiveProgress()->ButtonAbort->click(); });
    Press(2);
    EXPECT_EQ(LastInfo().text, "Flash Erase abort");
    int erased = 0;
    while (erased < 64 && Mem(3, erased * 0x20000, 1) == "FF")
        ++erased;
    EXPECT_GT(erased, 30);
    EXPECT_LT(erased, 64);
    for (int s = erased; s < 64; ++s)
        EXPECT_EQ(Mem(3, s * 0x20000, 1), "00") << s;
    EXPECT_TRUE(events.empty());
}

TEST_F(MemoryPageTest, RefusedOrMissingEraseStepsFail) {
    vboard.CtlOk("erase step-ms 1");
    Choose(3);
    // The board refuses a step: not a success, and the lost link follows.
    MidFlow refuse([&] { return ProgressAtLeast(page, 10); },
                   [&] { vboard.CtlOk("fault status:1"); });
    Press(2);
    EXPECT_EQ(LastInfo().text, "Flash Erase fail");
    EXPECT_EQ(LastInfo().colour, colours::Red);
    ASSERT_EQ(dialogs->Boxes.size(), 1u);
    EXPECT_EQ(events, std::vector<std::string>{"lost"});

    // No steps at all: fail with a box, but the link is not blamed.
    std::string error;
    ASSERT_TRUE(session.Connect(error, 0)) << error;
    vboard.CtlOk("erase steps 0");
    vboard.CtlOk("log requests");
    Press(2);
    EXPECT_EQ(LastInfo().text, "Flash Erase fail");
    EXPECT_EQ(dialogs->Boxes.size(), 2u);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(vboard.CtlOk("log requests"), "0A");
}

TEST_F(MemoryPageTest, SaveNeverSpoilsTheFileItReplaces) {
    const std::string target = files.File("keep.hex");
    WriteFile(target, "OLD");
    const std::vector<std::string> before = Entries(files.Path());

    // A full disk (here a file-size limit), an Abort, a link that breaks
    // mid-read: the old file stays as it was and no temporary file is left.
    {
        FileSizeLimit full(100000);
        Save(target, "0", "100000");
    }
    ASSERT_EQ(dialogs->Boxes.size(), 2u);
    EXPECT_EQ(dialogs->Boxes[0].text, "Write file(" + target + ") error.");
    EXPECT_EQ(dialogs->Boxes[0].kind, platform::MessageKind::Warning);
    EXPECT_EQ(dialogs->Boxes[1].text.rfind("Load SRAM Content to a File Fail. (", 0), 0u);
    MidFlow abort([&] { return ProgressAtLeast(page, 10); },
                  [&] { page.ActiveProgress()->ButtonAbort->click(); });
    Save(target, "0", "100000");
    EXPECT_EQ(LastInfo().text, "Load SRAM Content to a File Aborted.");
    session.SetLimits(TBoard::TLimits().WithReplyLimit(800));
    MidFlow cut([&] { return ProgressAtLeast(page, 10); },
                [&] { vboard.CtlOk("fault disconnect"); });
    Save(target, "0", "100000");
    EXPECT_EQ(LastInfo().text.rfind("Load SRAM Content to a File Fail. (", 0), 0u);
    EXPECT_EQ(dialogs->Boxes.size(), 3u);
    EXPECT_EQ(Contents(target), "OLD");
    EXPECT_EQ(Entries(files.Path()), before);
}

// The opened list of a drop-down shows the closed box's white on dark grey.
TEST_F(MemoryPageTest, OpenedListsKeepTheirColours) {
    TFormVGA vga{nullptr};
    for (QComboBox* list : {page.ComboBoxMemType, vga.ComboBoxVGA}) {
        list->window()->show();
        list->showPopup();
        QAbstractItemView* view = list->view();
        ASSERT_TRUE(WaitFor([&] { return view->isVisible(); }, 2000));
        // Row 1 is not the current one, so it is not highlighted.
        const QRect row = view->visualRect(view->model()->index(1, 0));
        const QImage shot = view->viewport()->grab(row).toImage();
        EXPECT_EQ(QColor(shot.pixel(shot.width() - 3, shot.height() / 2)), QColor(0x40, 0x40, 0x40))
            << list->itemText(1).toStdString();
        int brightest = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                brightest = std::max(brightest, qGray(shot.pixel(x, y)));
        EXPECT_GT(brightest, 0xE0) << "white text";
        list->hidePopup();
        list->window()->hide();
    }
}

// An edit that "Entire Memory" switches off greys out; an enabled one looks as before.
TEST_F(MemoryPageTest, DisabledEditsLookDisabled) {
    page.show();
    const auto ground = [](QLineEdit* edit) {
        return QColor(edit->grab().toImage().pixel(edit->width() - 4, edit->height() / 2));
    };
    const auto darkest = [](QLineEdit* edit) {
        const QImage shot = edit->grab().toImage();
        int value = 0xFF;
        for (int y = 3; y < shot.height() - 3; ++y)
            for (int x = 3; x < shot.width() / 2; ++x)
                value = std::min(value, qGray(shot.pixel(x, y)));
        return value;
    };
    EXPECT_EQ(ground(page.EditMemReadAddr), QColor(Qt::white));
    EXPECT_LT(darkest(page.EditMemReadAddr), 0x30) << "black text";

    page.LabelEntireMemoryClick();
    ASSERT_FALSE(page.EditMemReadAddr->isEnabled());
    const QColor disabled = ground(page.EditMemReadAddr);
    EXPECT_LT(disabled.lightness(), 0xE8) << "a grey ground";
    EXPECT_GT(disabled.lightness(), 0x80);
    const int text = darkest(page.EditMemReadAddr);
    EXPECT_GT(text, 0x50) << "grey text";
    EXPECT_LT(text, disabled.lightness());
    EXPECT_EQ(ground(page.EditMemReadLen), disabled);

    // Labels and check boxes grey out as well.
    page.LabelEntireMemory->setEnabled(false);
    EXPECT_EQ(page.LabelEntireMemory->palette().color(QPalette::Disabled, QPalette::WindowText),
              QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(page.LabelEntireMemory->palette().color(QPalette::Active, QPalette::WindowText),
              QColor(Qt::white));
}

// The save takes the same rules as kbr370's -o: no read-only file is
// replaced, no set-id bit survives, no link of another user is followed.
TEST_F(MemoryPageTest, SaveRefusesWhatIsNotOursToReplace) {
    const std::string readOnly = files.File("keep.bin");
    WriteFile(readOnly, "old");
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    Save(readOnly, "0", "10");
    ASSERT_EQ(dialogs->Boxes.size(), 2u);
    EXPECT_EQ(dialogs->Boxes[0].kind, platform::MessageKind::Warning);
    EXPECT_EQ(dialogs->Boxes[0].text, "cannot write " + readOnly + ": the file is read-only");
    EXPECT_EQ(dialogs->Boxes[1].text.rfind("Load SRAM Content to a File Fail. (", 0), 0u);
    EXPECT_EQ(Contents(readOnly), "old");

    const std::string setId = files.File("tool.bin");
    WriteFile(setId, "old");
    ASSERT_EQ(chmod(setId.c_str(), 06755), 0);
    Save(setId, "0", "10");
    EXPECT_EQ(Contents(setId).size(), 32u);
    struct stat st {};
    ASSERT_EQ(stat(setId.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    EXPECT_EQ(dialogs->Boxes.size(), 2u);

    auto other = SecondUser();
    if (!other)
        GTEST_SKIP() << "a link of another user: only when run as root";
    const std::string mine = files.File("mine.bin");
    WriteFile(mine, "mine");
    const std::string shared = files.File("shared");
    ASSERT_EQ(mkdir(shared.c_str(), 01777), 0);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    const std::string planted = shared + "/dump.bin";
    std::filesystem::create_symlink(mine, planted);
    ASSERT_EQ(lchown(planted.c_str(), other->uid, other->gid), 0);
    Save(planted, "0", "10");
    ASSERT_EQ(dialogs->Boxes.size(), 4u);
    EXPECT_EQ(dialogs->Boxes[2].text, "refusing to write " + planted + ": " + planted +
                                          " is a symbolic link that belongs to another user");
    EXPECT_EQ(Contents(mine), "mine");
}

// A FIFO is no file to write from: refused at once, not waited on.
TEST_F(MemoryPageTest, WriteFromAFifoIsRefusedAtOnce) {
    const std::string fifo = files.File("pipe.bin");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Should the page wait for a writer, one comes after a while, so the
    // test fails instead of hanging.
    std::atomic<bool> done{false};
    std::thread writer([&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (!done && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        while (!done) {
            const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    vboard.CtlOk("log requests");
    const auto start = std::chrono::steady_clock::now();
    page.CheckBoxMemWriteFileLen->setChecked(true);
    Write(fifo, "0");
    const auto took = std::chrono::steady_clock::now() - start;
    done = true;
    writer.join();
    EXPECT_LT(took, std::chrono::seconds(2));
    EXPECT_EQ(LastInfo().text.rfind("Write a File to SRAM Fail.[", 0), 0u);
    ASSERT_EQ(dialogs->Boxes.size(), 1u);
    EXPECT_EQ(dialogs->Boxes[0].kind, platform::MessageKind::Error);
    EXPECT_EQ(vboard.CtlOk("log requests"), "");
}

// ---- in the main window ----

class MemoryInMainWindowTest : public MainWindowFixture {
  protected:
    // The window connected, on the memory page, set to read 8 MB of SDRAM.
    void Start() {
        MainWindowFixture::Start(true);
        ASSERT_TRUE(form->Board().IsConnected());
        ClickTab(PAGE_MEMORY);
        ASSERT_EQ(form->CurrentPage(), PAGE_MEMORY);
        Memory()->ComboBoxMemType->setCurrentIndex(2); // SDRAM
        Memory()->EditMemReadAddr->setText("0");
        Memory()->EditMemReadLen->setText("400000"); // 8 MB
    }
    TFormMemory* Memory() { return static_cast<TFormMemory*>(form->Page(PAGE_MEMORY)); }
    void SaveWhile(const std::string& path, const std::function<void()>& action) {
        dialogs->FileAnswers.push_back(path);
        MidFlow mid([this] { return ProgressAtLeast(*Memory(), 10); }, action);
        Memory()->ButtonMemRead2FileClick();
        EXPECT_TRUE(mid.fired);
    }

    TempDir files;
};

TEST_F(MemoryInMainWindowTest, DisconnectAndCloseEndTheTransfer) {
    Start();
    const std::string path = files.File("dump.bin");

    SaveWhile(path, [this] { ClickSystem(BTN_CONNECT, false); });
    EXPECT_FALSE(form->Board().IsConnected());
    EXPECT_EQ(LastInfo(), "Load SDRAM Content to a File Aborted.");
    EXPECT_FALSE(Memory()->ButtonMemRead2File.Enabled);

    // Connected again, the window is closed mid-save, from another page, and
    // then destroyed.
    ClickSystem(BTN_CONNECT);
    ASSERT_EQ(sequences, 3);
    ClickTab(PAGE_MEMORY);
    Memory()->ComboBoxMemType->setCurrentIndex(2);
    SaveWhile(path, [this] {
        ClickTab(PAGE_LED);
        form->close();
    });
    EXPECT_EQ(LastInfo(), "Load SDRAM Content to a File Aborted.");
    form.reset();
    EXPECT_TRUE(dialogs->Boxes.empty());
    EXPECT_TRUE(Entries(files.Path()).empty());
}

// Another tab clicked while a transfer or an erase runs: the flow goes on
// under its progress dialog, whichever page is shown, ends by itself and says
// how. The write comes back to its page before it ends, the erase does not.
TEST_F(MemoryInMainWindowTest, FlowsRunOnWhileAnotherPageIsShown) {
    Start();
    std::string bytes(0x100000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + (i >> 12));
    WriteFile(files.File("mb.bin"), bytes);
    Memory()->ComboBoxMemType->setCurrentIndex(0);
    Memory()->CheckBoxMemWriteFileLen->setChecked(true);
    Memory()->EditMemWriteAddr->setText("0");
    board->CtlOk("link rate 2000000"); // about half a second for the MiB
    bool dialogUpAway = false;
    MidFlow away([this] { return ProgressAtLeast(*Memory(), 10); },
                 [this] { ClickTab(PAGE_LED); });
    MidFlow back([&] { return away.fired && ProgressAtLeast(*Memory(), 50); },
                 [&] {
                     dialogUpAway = form->CurrentPage() == PAGE_LED &&
                                    Memory()->ActiveProgress()->isVisible();
                     ClickTab(PAGE_MEMORY);
                 });
    dialogs->FileAnswers.push_back(files.File("mb.bin"));
    TCustomButton* write = Memory()->Buttons().FindButton(3);
    ClickAt(Memory(), write->X() + 5, write->Y() + 5);
    ASSERT_TRUE(back.fired);
    EXPECT_TRUE(dialogUpAway);
    EXPECT_EQ(LastInfo().rfind("Write a File to SRAM Success.[", 0), 0u) << LastInfo();
    board->CtlOk("link rate off");
    std::string expected;
    for (unsigned char c : bytes)
        expected += fmt::format("{:02X}", c);
    std::string memory;
    for (uint32_t at = 0; at < bytes.size(); at += 0x10000)
        memory += board->CtlOk(fmt::format("mem read 6 0x{:X} 65536", at));
    const auto differ =
        std::mismatch(memory.begin(), memory.end(), expected.begin(), expected.end());
    EXPECT_TRUE(differ.first == memory.end() && differ.second == expected.end())
        << "SRAM differs from byte " << (differ.first - memory.begin()) / 2;
    EXPECT_TRUE(Memory()->ButtonMemWrite2FMem.Enabled);

    // The erase ends while the LED page is shown; only then does the memory
    // page let go of the session.
    board->CtlOk("erase steps 8");
    board->CtlOk("erase step-ms 50");
    for (int s = 0; s < 8; ++s)
        board->CtlOk(fmt::format("mem write 3 0x{:X} 00", s * 0x100000));
    Memory()->ComboBoxMemType->setCurrentIndex(3);
    MidFlow leave([this] { return Memory()->ActiveProgress() != nullptr; },
                  [this] { ClickTab(PAGE_LED); });
    TCustomButton* erase = Memory()->Buttons().FindButton(2);
    ClickAt(Memory(), erase->X() + 5, erase->Y() + 5);
    ASSERT_TRUE(leave.fired);
    EXPECT_EQ(form->CurrentPage(), PAGE_LED);
    EXPECT_EQ(form->InfoLabel()->text().toStdString(), "Flash Erase success (0 seconds)");
    for (int s = 0; s < 8; ++s)
        EXPECT_EQ(board->CtlOk(fmt::format("mem read 3 0x{:X} 1", s * 0x100000)), "FF") << s;
    EXPECT_EQ(Memory()->Board(), nullptr);
    EXPECT_FALSE(Memory()->ButtonMemRead2File.Enabled);
    EXPECT_TRUE(dialogs->Boxes.empty());
}

// Away and back before the erase's next step: the erase goes on, and the page
// is usable when it ends.
TEST_F(MemoryInMainWindowTest, TabRoundTripDuringAnEraseLeavesThePageUsable) {
    Start();
    board->CtlOk("erase steps 4");
    board->CtlOk("erase step-ms 200");
    Memory()->ComboBoxMemType->setCurrentIndex(3);
    MidFlow trip([this] { return Memory()->ActiveProgress() != nullptr; },
                 [this] {
                     ClickTab(PAGE_LED);
                     ClickTab(PAGE_MEMORY);
                 });
    Memory()->ButtonMemRdmEraseClick();
    EXPECT_TRUE(trip.fired);
    EXPECT_EQ(LastInfo(), "Flash Erase success (0 seconds)");
    for (const THiddenButton* b : {&Memory()->ButtonMemoryRandomRead,
                                   &Memory()->ButtonMemoryRandomWrite, &Memory()->ButtonMemRdmErase,
                                   &Memory()->ButtonMemWrite2FMem, &Memory()->ButtonMemRead2File})
        EXPECT_TRUE(b->Enabled) << b->Caption.toStdString();

    board->CtlOk("log requests");
    TCustomButton* read = Memory()->Buttons().FindButton(0);
    ClickAt(Memory(), read->X() + 5, read->Y() + 5);
    EXPECT_EQ(board->CtlOk("log requests"), "0E");
    EXPECT_EQ(LastInfo(), "FLASH Random Read Success");
}

} // namespace
