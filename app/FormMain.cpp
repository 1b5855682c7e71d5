#include "app/FormMain.h"

#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "app/FormAbout.h"
#include "app/PanelApplication.h"
#include "config/DesignPath.h"
#include "config/Download.h"
#include "pages/Dialogs.h"
#include "pages/Page.h"
#include "pages/ShowInfo.h"
#include "platform/Assert.h"
#include "platform/System.h"
#include "skin/Animate.h"
#include "skin/BitmapManager.h"
#include "skin/ButtonKeys.h"
#include "skin/ButtonManager.h"
#include "skin/Colours.h"
#include "skin/ScreenCursor.h"
#include "skin/SkinFont.h"
#include "skin/StandardControls.h"
#include "skin/WinColor.h"
#include "wire/WireFacts.h"

namespace {

const char* const kWindowCaption = "KBR-370 Control Panel V2.0.0";
const char* const kSupportedFpga = "EP3C120/EP4CE115";
const char* const kBoardName = kbr::wire::kBoardName;

// Design file for each FPGA type that can be configured.
struct DesignFile {
    uint8_t fpgaType;
    const char* fileName;
};
constexpr DesignFile kDesignFiles[] = {
    {TFormMain::FPGA_EP3C120_EP4CE115, "KBR_370_ControlPanel.sof"},
};

const char* DesignFileFor(uint8_t fpgaType) {
    for (const DesignFile& d : kDesignFiles)
        if (d.fpgaType == fpgaType)
            return d.fileName;
    return nullptr;
}

} // namespace

TFormMain::TFormMain(QWidget* parent) : TSkinWindow(parent, Qt::Window | Qt::FramelessWindowHint) {
    setWindowTitle(kWindowCaption);
    setWindowIcon(TPanelApplication::Icon());
    setFont(SkinFontPixels("Arial", 16));

    // The hidden standard buttons: they place the skinned buttons and keep the handlers.
    ButtonConnect = {135, 509, 60, 61, "Connect", true, [this] { ButtonConnectClick(); }};
    ButtonClose = {559, 19, 37, 12, "", true, [this] { close(); }};
    ButtonAbout = {481, 19, 37, 12, "", true, [this] { ButtonAboutClick(); }};
    ButtonMini = {520, 19, 37, 12, "", true, [this] { ButtonMiniClick(); }};

    AnimateWelcome = new TAnimate(this);
    AnimateWelcome->setGeometry(204, 288, 387, 296);

    LabelCaption = MakeLabel(this, {164, 8, 292, 16}, QString(),
                             {.face = "MS Sans Serif", .colour = 0x00FF00, .pixels = 13},
                             Qt::AlignHCenter | Qt::AlignTop);
    LabelConnectStatus =
        MakeLabel(this, {33, 530, 98, 22}, QString(),
                  {.face = "Arial", .colour = colours::StatusStart, .pixels = 13}, Qt::AlignCenter);
    CGaugeConfig = new QProgressBar(this);
    CGaugeConfig->setGeometry(32, 529, 100, 21);
    CGaugeConfig->setRange(0, 100);
    CGaugeConfig->setTextVisible(true);
    CGaugeConfig->setAlignment(Qt::AlignCenter);
    CGaugeConfig->setFont(SkinFontPixels("Arial", 11));
    LabelInfo = MakeLabel(this, {245, 562, 329, 16}, QString(), {.face = "Arial", .pixels = 11},
                          Qt::AlignLeft | Qt::AlignVCenter);
    ImageInfo = MakeLabel(this, {227, 564, 14, 14}, QString(), {.face = "Arial", .pixels = 11},
                          Qt::AlignCenter);
    ImageInfo->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(14, 14));
    ImageInfo->hide();

    TimerRun = new QTimer(this);
    connect(TimerRun, &QTimer::timeout, this, [this] { TimerRunTimer(); });
    TimerProgress = new QTimer(this);
    connect(TimerProgress, &QTimer::timeout, this, [this] { TimerProgressTimer(); });

    currentPage = PAGE_WELCOME;
    TimeScale = 1.0;
    fpgaTypeText.clear();

    LabelCaption->setText(windowTitle());
    BuildSkin();

    SetStatusText("Disconnected", colours::Red);
    LabelConnectStatus->setText(QString());

    CGaugeConfig->hide();
    const QColor fore = WinColor(colours::StatusStart);
    CGaugeConfig->setStyleSheet(
        QString("QProgressBar { border: 0px; background: #10202c; color: white; }"
                "QProgressBar::chunk { background: %1; }")
            .arg(fore.name()));

    SetInfoSink([this](const std::string& text, uint32_t colour) { SetInfoText(text, colour); });

    // Labels and the gauge stay readable over the welcome animation and the pages.
    FormCreate();
    BuildKeys();
    for (QWidget* w : std::initializer_list<QWidget*>{LabelCaption, LabelConnectStatus,
                                                      CGaugeConfig, LabelInfo, ImageInfo})
        w->raise();
}

TFormMain::~TFormMain() {
    keys.reset(); // before the buttons it walks go
    SetInfoSink({});
    TimerRun->stop();
    TimerProgress->stop();
    bitmaps.reset();
    tabButtons.reset();
    systemButtons.reset();
    DestroyPages();
    // The session's destructor closes the link after the pages are gone.
}

void TFormMain::BuildSkin() {
    SetLabelColour(LabelConnectStatus, colours::StatusStart);
    bitmaps = std::make_unique<TBitmapManager>(&GetCanvas());
    bitmaps->AddBitmap(0, "MAIN_UI", false);
    const QSize size = bitmaps->GetBitmapSize(0);
    SetClientSize(size.width(), size.height());
    setFixedSize(size);

    tabButtons = std::make_unique<TButtonManager>(this, &GetCanvas(), bmRadio);
    for (const TabButtonInfo& tab : kTabButtons)
        tabButtons->AddButton(tab.id, tab.caption, "TAB_BUTTON", tab.x, tab.y);
    systemButtons = std::make_unique<TButtonManager>(this, &GetCanvas(), bmPush);
    for (const SystemButtonInfo& button : kSystemButtons)
        systemButtons->AddButton(button.id, QString(), button.bitmap, button.x, button.y);
    router.AddManager(tabButtons.get());
    router.AddManager(systemButtons.get());

    AnimateWelcome->move(204, 288);
    AnimateWelcome->Open("WELCOME_AVI");
    AnimateWelcome->show();
    AnimateWelcome->SetActive(true);
}

void TFormMain::FormCreate() {
    CreatePages();
    TimerRun->setInterval(300);
    TimerRun->start();
}

void TFormMain::showEvent(QShowEvent* event) {
    if (!centred && isWindow()) {
        centred = true;
        if (QScreen* s = screen())
            move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    TSkinWindow::showEvent(event);
}

void TFormMain::closeEvent(QCloseEvent* event) {
    // A page in the middle of a transfer or an erase lets messages in, this
    // close among them: detaching it ends that flow before its next exchange,
    // long before the pages and the session are destroyed.
    if (currentPage != PAGE_WELCOME && Page(currentPage)->IsBusy())
        BindPage(currentPage, false);
    TSkinWindow::closeEvent(event);
}

void TFormMain::TimerRunTimer() {
    TimerRun->stop();
    PostMessage(WM_CONNECT);
}

void TFormMain::PostMessage(int message) {
    QMetaObject::invokeMethod(
        this, [this, message] { WndProc(message); }, Qt::QueuedConnection);
}

void TFormMain::WndProc(int message) {
    if (message == WM_CONNECT)
        ButtonConnectClick();
}

// ---- status and info line ----

void TFormMain::SetStatusText(const std::string& text, uint32_t colour) {
    SetLabelColour(LabelConnectStatus, colour);
    LabelConnectStatus->setText(QString::fromStdString(text));
    // The connect sequence blocks the event loop; show each stage as it comes.
    LabelConnectStatus->repaint();
    if (OnStatusChanged)
        OnStatusChanged(text, colour);
}

void TFormMain::SetInfoText(const std::string& text, uint32_t colour) {
    ImageInfo->setVisible(!text.empty());
    LabelInfo->show();
    LabelInfo->setFont(SkinFontPixels("Arial", 11));
    SetLabelColour(LabelInfo, colour);
    LabelInfo->setText(QString::fromStdString(text));
    LabelInfo->repaint();
}

// ---- painting and mouse ----

void TFormMain::FormPaint() {
    bitmaps->DrawBitmap(0, 0, 0);
    router.PaintButtons();
    Canvas& canvas = GetCanvas();
    for (int i = 0; i < kFrameCount; ++i)
        if (frameVisible[i])
            canvas.Frame(kDeviceFrames[i].rect, WinColor(colours::Frame), 2,
                         kDeviceFrames[i].dotted);
}

bool TFormMain::IsOverSkinButton(int x, int y) const {
    return router.IsOverButton(x, y);
}

void TFormMain::FormMouseDown(int x, int y) {
    router.MouseDown(x, y);
}

void TFormMain::FormMouseMove(int x, int y) {
    router.MouseMove(x, y);
}

void TFormMain::FormMouseUp(int x, int y) {
    ButtonClicked(router.MouseUp(x, y));
}

void TFormMain::ButtonClicked(const TButtonRouter::Hit& hit) {
    if (hit.manager == tabButtons.get()) {
        if (hit.id != currentPage)
            ShowPage(hit.id);
        return;
    }
    switch (hit.id) {
    case BTN_CLOSE:
        ButtonClose.Click();
        break;
    case BTN_ABOUT:
        ButtonAbout.Click();
        break;
    case BTN_MINI:
        ButtonMini.Click();
        break;
    case BTN_CONNECT:
        ButtonConnect.Click();
        break;
    default:
        break;
    }
}

// ---- keyboard ----

void TFormMain::BuildKeys() {
    keys = std::make_unique<TButtonKeys>(this, router);
    // Window-wide: they work whichever control of the window or its page has the focus.
    auto bind = [this](const QKeySequence& keys, const std::function<void()>& action) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    for (QKeyCombination keys : {Qt::CTRL | Qt::Key_Q, Qt::CTRL | Qt::Key_W})
        bind(keys, [this] { PressSystemButton(BTN_CLOSE); });
    bind(Qt::Key_F1, [this] { PressSystemButton(BTN_ABOUT); });
    for (QKeyCombination keys : {Qt::CTRL | Qt::Key_Tab, Qt::CTRL | Qt::Key_PageDown})
        bind(keys, [this] { StepPage(1); });
    // Shift+Tab comes as Backtab from most keyboards.
    for (QKeyCombination keys : {Qt::CTRL | Qt::SHIFT | Qt::Key_Tab,
                                 Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab,
                                 Qt::CTRL | Qt::Key_PageUp})
        bind(keys, [this] { StepPage(-1); });
    // Alt+1 ... Alt+9, Alt+0: the first ten tabs as they stand.
    for (int n = 0; n < 10; ++n) {
        const Qt::Key digit = n == 9 ? Qt::Key_0 : static_cast<Qt::Key>(Qt::Key_1 + n);
        bind(Qt::ALT | digit, [this, n] { PressTab(kTabButtons[n].id); });
    }
}

void TFormMain::PressSystemButton(int id) {
    ButtonClicked(router.Click(*systemButtons, id));
}

void TFormMain::PressTab(int id) {
    ButtonClicked(router.Click(*tabButtons, id));
}

void TFormMain::StepPage(int step) {
    const int count = static_cast<int>(kTabButtons.size());
    int at = count;
    for (int i = 0; i < count; ++i)
        if (kTabButtons[i].id == currentPage)
            at = i;
    if (at == count) // the welcome animation: the first or the last tab
        at = step > 0 ? count - 1 : 0;
    for (int i = 1; i <= count; ++i) {
        const int id = kTabButtons[((at + i * step) % count + count) % count].id;
        if (tabButtons->FindButton(id)->Enabled()) {
            PressTab(id);
            return;
        }
    }
}

void TFormMain::ButtonAboutClick() {
    auto about = std::make_unique<TFormAbout>(this);
    about->ShowModal();
}

void TFormMain::ButtonMiniClick() {
    showMinimized();
}

// ---- page framework ----

TPage* TFormMain::Page(int kind) const {
    KBR_ASSERT(kind >= 0 && kind < kPageCount, "kind >= 0 && kind < PAGE_COUNT");
    return pages[kind];
}

void TFormMain::CreatePages() {
    for (int kind = 0; kind < kPageCount; ++kind) {
        TPage* page = kPageFactories[kind](this);
        page->move(204, 288);
        page->hide();
        pages[kind] = page;
    }
}

void TFormMain::DestroyPages() {
    for (TPage*& page : pages) {
        delete page;
        page = nullptr;
    }
}

void TFormMain::ShowPage(int kind) {
    if (kind == currentPage)
        return;
    if (kind != PAGE_WELCOME)
        Page(kind); // a kind outside the table stops here, before anything changes
    // The focus of a page that goes comes to the page that comes, unseen until
    // the next Tab; hiding would hand it on as a Tab does, framing a button.
    QWidget* focus = focusWidget();
    const bool focusInPage = currentPage != PAGE_WELCOME && focus &&
                             (focus == Page(currentPage) || Page(currentPage)->isAncestorOf(focus));
    if (focusInPage)
        setFocus(Qt::OtherFocusReason);
    if (currentPage == PAGE_WELCOME) {
        ShowWelcome(false);
    } else {
        BindPage(currentPage, false);
        Page(currentPage)->hide();
    }
    currentPage = kind;
    if (kind == PAGE_WELCOME) {
        ShowWelcome(true);
        return;
    }
    Page(kind)->show();
    BindPage(kind, true);
    if (focusInPage)
        Page(kind)->setFocus(Qt::OtherFocusReason);
}

void TFormMain::BindPage(int kind, bool attach) {
    TPage* page = Page(kind);
    HighlightDevice(kind);
    page->OnLinkLost = [this](TPage* sender) { HandleLinkLost(sender); };
    page->OnFramedPartChanged = [this](TPage* sender) { HandleFramedPartChanged(sender); };
    if (attach)
        page->AttachBoard(&board);
    else
        page->DetachBoard();
}

void TFormMain::HighlightDevice(int kind) {
    int memory = -1;
    if (kind >= 0 && kind < kPageCount && pages[kind])
        memory = pages[kind]->FramedPart();
    for (int i = 0; i < kFrameCount; ++i)
        frameVisible[i] = FrameShownFor(kDeviceFrames[i], kind, memory);
    Invalidate();
}

void TFormMain::ShowWelcome(bool visible) {
    AnimateWelcome->setVisible(visible);
    AnimateWelcome->SetActive(visible && connecting);
}

void TFormMain::HandleLinkLost(TPage*) {
    DisconnectBoard();
    ShowPage(currentPage);
    SetStatusText("Disconnected", colours::Red);
}

void TFormMain::HandleFramedPartChanged(TPage*) {
    HighlightDevice(currentPage);
}

// ---- connection sequence ----

void TFormMain::EnableControls(bool enable, int tab) {
    ButtonConnect.Enabled = enable;
    systemButtons->SetButtonEnabled(BTN_CONNECT, enable);
    systemButtons->SetButtonEnabled(BTN_CLOSE, enable);
    if (tab == TAB_ALL) {
        for (int id = 0; id < kPageCount; ++id)
            tabButtons->SetButtonEnabled(id, enable);
    } else if (tab == TAB_CURRENT) {
        tabButtons->SetButtonEnabled(currentPage, enable);
    } else {
        tabButtons->SetButtonEnabled(tab, enable);
    }
}

void TFormMain::StartProgress(uint32_t durationMs, int fromPercent, int toPercent) {
    progressDuration = std::max<uint32_t>(durationMs, 1);
    progressFrom = fromPercent;
    progressTo = toPercent;
    progressStart = platform::GetTickCount();
    ShowInfo("", colours::Yellow);
    CGaugeConfig->setValue(0);
    CGaugeConfig->show();
    TimerProgress->stop();
    TimerProgress->setInterval(static_cast<int>(progressDuration / 100));
    TimerProgress->start();
}

void TFormMain::TimerProgressTimer() {
    TimerProgress->stop();
    const uint32_t elapsed = platform::GetTickCount() - progressStart;
    // 64 bits: a long wait times the percent span would overflow 32.
    const int64_t value = progressFrom + static_cast<int64_t>(elapsed) *
                                             (progressTo - progressFrom) /
                                             static_cast<int64_t>(progressDuration);
    CGaugeConfig->setValue(static_cast<int>(std::min<int64_t>(value, progressTo)));
    TimerProgress->start();
}

void TFormMain::EndProgress() {
    TimerProgress->stop();
    CGaugeConfig->hide();
}

void TFormMain::SetConnectButton(bool connected) {
    ButtonConnect.Caption = connected ? "Disconnect" : "Connect";
    systemButtons->SetButtonBitmap(BTN_CONNECT, connected ? "DISCONNECT_BTN" : "CONNECT_BTN");
}

void TFormMain::ButtonConnectClick() {
    EnableControls(false, TAB_ALL);
    SetScreenCursor(ScreenCursor::HourGlass);
    if (board.IsConnected()) {
        DetachCurrentPage();
        DisconnectBoard();
        SetConnectButton(false);
    } else {
        connecting = true;
        tabButtons->SetButtonChecked(currentPage, false);
        ShowPage(PAGE_WELCOME);
        const bool ok = ConnectBoard();
        connecting = false;
        if (ok) {
            tabButtons->SetButtonChecked(PAGE_LED, true);
            ShowPage(PAGE_LED);
        } else {
            ShowWelcome(true);
        }
    }
    SetScreenCursor(ScreenCursor::Default);
    EnableControls(true, TAB_ALL);
    if (OnConnectSequenceDone)
        OnConnectSequenceDone();
}

void TFormMain::DetachCurrentPage() {
    if (currentPage != PAGE_WELCOME)
        BindPage(currentPage, false);
    ShowInfo("", colours::Green);
}

bool TFormMain::ConnectBoard() {
    EnableControls(false, TAB_ALL);
    SetScreenCursor(ScreenCursor::HourGlass);
    SetStatusText("", colours::Yellow);
    CGaugeConfig->setValue(2);
    StartProgress(static_cast<uint32_t>(5000 * TimeScale), 0, 5);

    bool result = CheckBoard(false);
    if (!result && board.LinkInUse()) {
        // The FPGA answers, just not to us: configuring it would cut the
        // other program off.
        TimerProgress->stop();
        Dialogs().MessageBox(platform::MessageKind::Error, TBoard::kLinkInUseText, "");
    } else if (!result) {
        board.FlushInput();
        switch (fpgaType) {
        case FPGA_NONE:
            TimerProgress->stop();
            Dialogs().MessageBox(platform::MessageKind::Warning,
                                 "Failed to find the FPGA Board. Please make sure:\n"
                                 "1. The FPGA Board and PC are connected by an USB cable.\n"
                                 "2. The FPGA Board is power on.",
                                 "");
            break;
        case FPGA_EP3C120_EP4CE115:
            if (ConfigureFpga(FPGA_EP3C120_EP4CE115)) {
                board.FlushInput();
                const bool checked = CheckBoard(true);
                board.FlushInput();
                if (checked) {
                    board.Disconnect();
                    std::string errorText;
                    result = board.Connect(errorText, 0);
                }
            }
            break;
        default:
            TimerProgress->stop();
            Dialogs().MessageBox(platform::MessageKind::Information, "Unsupported FPGA!", "");
            break;
        }
    }
    if (!result) {
        fpgaTypeText.clear();
        SetStatusText("Disconnected", colours::Red);
    }
    EndProgress();
    if (result)
        ShowInfo("", colours::Yellow);
    SetConnectButton(result);
    SetScreenCursor(ScreenCursor::Default);
    EnableControls(true, TAB_ALL);
    return result;
}

uint8_t TFormMain::ClassifyFpgaType(const std::string& text) {
    if (text.empty())
        return FPGA_NONE;
    return text == kSupportedFpga ? FPGA_EP3C120_EP4CE115 : FPGA_UNSUPPORTED;
}

bool TFormMain::CheckBoard(bool showError) {
    ShowInfo("Connecting Board...", colours::Yellow);
    bool result = false;
    std::string errorText;
    if (board.IsConnected()) {
        result = true;
    } else {
        ShowInfo("Detect board type...", colours::Yellow);
        if (fpgaTypeText.empty())
            fpgaTypeText = kSupportedFpga;
        fpgaType = ClassifyFpgaType(fpgaTypeText);
        if (fpgaType == FPGA_EP3C120_EP4CE115 && board.Connect(errorText, 0)) {
            ShowInfo("Check board ID...", colours::Yellow);
            std::string name;
            if (!board.QueryBoardName(name))
                errorText = "Failed to query board name.";
            else if (name != kBoardName)
                errorText = "Invalid Board Name";
            else
                result = true;
            if (!result)
                board.Disconnect();
        }
    }
    if (result) {
        SetStatusText("Connected", colours::Green);
        SetConnectButton(true);
    } else {
        if (errorText.empty())
            errorText = "Connect NG!";
        ShowInfo(errorText, colours::Red);
        if (showError)
            Dialogs().MessageBox(platform::MessageKind::Error, errorText, "");
    }
    return result;
}

bool TFormMain::ConfigureFpga(uint8_t type) {
    const char* designName = DesignFileFor(type);
    KBR_ASSERT(designName != nullptr, "fpgaType == FPGA_EP3C120_EP4CE115");

    auto download = std::make_unique<TDownload>();
    bool result = true;
    std::string errorText;
    if (!download->IsLoaded()) {
        errorText = "Download tool not found.";
        result = false;
    }
    if (result && download->GetQuatusVersion() == 0) {
        errorText = "Please make sure Quartus is installed!";
        result = false;
    }
    const std::string programDir = platform::ProgramDirectory();
    const std::string designFile = DesignFilePath(designName);
    ShowInfo(std::string("Configure FPGA") + "...", colours::Yellow);
    platform::SetCurrentDirectory(programDir);
    if (result && !platform::FileExists(designFile)) {
        errorText = "Can not find the file: " + platform::FileNameOf(designFile);
        result = false;
    }
    if (result) {
        if (board.IsConnected())
            board.Disconnect();
        SetStatusText("Disconnected", colours::Red);
        StartProgress(static_cast<uint32_t>(10000 * TimeScale), 5, 95);
        ShowInfo(std::string("Configure FPGA") + "...", colours::Yellow);
        if (!download->JtagDownload(designFile)) {
            errorText = "download SOPC file (" + platform::FileNameOf(designFile) + ") fail!";
            result = false;
        }
    }
    if (!result) {
        TimerProgress->stop();
        Dialogs().MessageBox(platform::MessageKind::Error, errorText, "");
    }
    ShowInfo(std::string("Configure FPGA") + " " + (result ? "success" : "fail"),
             result ? colours::Green : colours::Red);
    download.reset();
    return result;
}

void TFormMain::DisconnectBoard() {
    board.Disconnect();
    fpgaTypeText.clear();
    SetConnectButton(false);
    ShowInfo("", colours::Green);
    SetStatusText("Disconnected", colours::Red);
    EnableControls(false, TAB_ALL);
    systemButtons->SetButtonEnabled(BTN_CLOSE, true);
    ButtonConnect.Enabled = true;
    systemButtons->SetButtonEnabled(BTN_CONNECT, true);
}
