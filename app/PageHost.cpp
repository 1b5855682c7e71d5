#include "app/PageHost.h"

#include "pages/Page.h"
#include "platform/Assert.h"
#include "skin/Animate.h"
#include "skin/Canvas.h"
#include "skin/Colours.h"
#include "skin/SkinWindow.h"
#include "skin/WinColor.h"

TPageHost::TPageHost(TSkinWindow& window, TBoard& board, TAnimate& welcome)
    : window(window), board(board), welcome(welcome) {
    for (int kind = 0; kind < kPageCount; ++kind) {
        TPage* page = kPageFactories[kind](&window);
        page->move(204, 288);
        page->hide();
        // A page hidden while its flow ran kept the session until now.
        page->OnFlowEnded = [this, kind](TPage* sender) {
            if (kind != currentPage && sender->Board())
                sender->DetachBoard();
        };
        pages[kind] = page;
    }
    host = &pages[0]->Host();
}

TPageHost::~TPageHost() {
    for (TPage*& page : pages) {
        delete page;
        page = nullptr;
    }
}

void TPageHost::SetHost(THost& to) {
    host = &to;
    for (TPage* page : pages)
        page->SetHost(to);
}

TPage* TPageHost::Page(int kind) const {
    KBR_ASSERT(kind >= 0 && kind < kPageCount, "kind >= 0 && kind < PAGE_COUNT");
    return pages[kind];
}

void TPageHost::ShowPage(int kind) {
    if (kind == currentPage)
        return;
    if (kind != PAGE_WELCOME)
        Page(kind); // a kind outside the table stops here, before anything changes
    // The focus of a page that goes comes to the page that comes, unseen until
    // the next Tab; hiding would hand it on as a Tab does, framing a button.
    QWidget* focus = window.focusWidget();
    const bool focusInPage = currentPage != PAGE_WELCOME && focus &&
                             (focus == Page(currentPage) || Page(currentPage)->isAncestorOf(focus));
    if (focusInPage)
        window.setFocus(Qt::OtherFocusReason);
    if (currentPage == PAGE_WELCOME) {
        ShowWelcome(false);
    } else {
        // A running transfer or erase goes on while another page is shown:
        // its page keeps the session until the flow ends (OnFlowEnded).
        if (!Page(currentPage)->IsBusy())
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

void TPageHost::BindPage(int kind, bool attach) {
    TPage* page = Page(kind);
    HighlightDevice(kind);
    page->OnLinkLost = [this](TPage*) {
        if (OnLinkLost)
            OnLinkLost();
    };
    page->OnFramedPartChanged = [this](TPage*) { HighlightDevice(currentPage); };
    if (attach)
        page->AttachBoard(&board);
    else
        page->DetachBoard();
}

void TPageHost::DetachCurrentPage() {
    if (currentPage != PAGE_WELCOME)
        BindPage(currentPage, false);
}

void TPageHost::DetachBusyPages() {
    for (TPage* page : pages)
        if (page->IsBusy())
            page->DetachBoard();
}

void TPageHost::HighlightDevice(int kind) {
    int memory = -1;
    if (kind >= 0 && kind < kPageCount && pages[kind])
        memory = pages[kind]->FramedPart();
    for (int i = 0; i < kFrameCount; ++i)
        frameVisible[i] = FrameShownFor(kDeviceFrames[i], kind, memory);
    window.Invalidate();
}

void TPageHost::ShowWelcome(bool visible) {
    welcome.setVisible(visible);
    welcome.SetActive(visible && Connecting);
}

void TPageHost::PaintFrames(Canvas& canvas) const {
    for (int i = 0; i < kFrameCount; ++i)
        if (frameVisible[i])
            canvas.Frame(kDeviceFrames[i].rect, WinColor(colours::Frame), 2,
                         kDeviceFrames[i].dotted);
}
