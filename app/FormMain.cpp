#include "app/FormMain.h"

#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include "app/FormAbout.h"
#include "app/PanelApplication.h"
#include "pages/Page.h"
#include "skin/Animate.h"
#include "skin/BitmapManager.h"
#include "skin/ButtonKeys.h"
#include "skin/ButtonManager.h"
#include "skin/SkinFont.h"
#include "skin/StandardControls.h"

namespace {

const char* const kWindowCaption = "KBR-370 Control Panel V2.0.0";
// The first connect waits this long after the window is made.
constexpr int kFirstConnectMs = 300;

} // namespace

TFormMain::TFormMain(QWidget* parent)
    : TRoutedWindow(parent, Qt::Window | Qt::FramelessWindowHint) {
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
    LabelCaption = MakeLabel(this, {164, 8, 292, 16}, windowTitle(),
                             {.face = "MS Sans Serif", .colour = 0x00FF00, .pixels = 13},
                             Qt::AlignHCenter | Qt::AlignTop);
    BuildSkin();

    pages = std::make_unique<TPageHost>(*this, board, *AnimateWelcome);
    // Made after the pages, so its lines stay readable over them.
    windowHost = std::make_unique<TWindowHost>(this);
    LabelCaption->raise();
    pages->SetHost(*windowHost);
    windowHost->Status("Disconnected", THost::Tone::Failure);
    StatusLabel()->setText(QString());
    connection = std::make_unique<TConnection>(board, *pages, *tabButtons, *systemButtons,
                                               ButtonConnect);
    connection->OnDone = [this] {
        if (OnConnectSequenceDone)
            OnConnectSequenceDone();
    };
    pages->OnLinkLost = [this] { connection->HandleLinkLost(); };
    BuildKeys();

    // Connecting blocks the event loop: first let the window show itself.
    QTimer::singleShot(kFirstConnectMs, this, [this] {
        QMetaObject::invokeMethod(this, [this] { ButtonConnectClick(); }, Qt::QueuedConnection);
    });
}

TFormMain::~TFormMain() {
    keys.reset(); // before the buttons it walks go
    pages->SetHost(*windowHost); // a host put in front may be gone before the window
    board.OnBeep = nullptr;
    bitmaps.reset();
    tabButtons.reset();
    systemButtons.reset();
    pages.reset();
    // The session's destructor closes the link after the pages are gone.
}

void TFormMain::BuildSkin() {
    LoadBackground("MAIN_UI");
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
    // close among them, whether it is shown or not: detaching it ends that
    // flow before its next exchange, long before the pages and the session
    // are destroyed.
    pages->DetachBusyPages();
    TSkinWindow::closeEvent(event);
}

void TFormMain::FormPaint() {
    TRoutedWindow::FormPaint();
    if (pages)
        pages->PaintFrames(GetCanvas());
}

void TFormMain::ButtonClicked(const TButtonRouter::Hit& hit) {
    if (hit.manager == tabButtons.get()) {
        if (hit.id != CurrentPage())
            ShowPage(hit.id);
        return;
    }
    const std::pair<int, THiddenButton*> buttons[] = {{BTN_CLOSE, &ButtonClose},
                                                      {BTN_ABOUT, &ButtonAbout},
                                                      {BTN_MINI, &ButtonMini},
                                                      {BTN_CONNECT, &ButtonConnect}};
    for (const auto& [id, button] : buttons)
        if (id == hit.id)
            button->Click();
}

// ---- keyboard ----

void TFormMain::BuildKeys() {
    BuildButtonKeys();
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
        if (kTabButtons[i].id == CurrentPage())
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
