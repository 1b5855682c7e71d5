#include "pages/Page.h"

#include <mutex>

#include "board/Board.h"
#include "pages/PanelHost.h"
#include "skin/BitmapManager.h"
#include "skin/ButtonKeys.h"
#include "skin/ButtonManager.h"
#include "skin/HiddenButton.h"

namespace {

THost& PlainHost() {
    static TPanelHost plain;
    return plain;
}

} // namespace

TPage::TPage(QWidget* parent, const char* background, const char* caption)
    : TSkinWindow(parent), host(&PlainHost()) {
    setWindowTitle(caption);
    bitmaps = std::make_unique<TBitmapManager>(&GetCanvas());
    bitmaps->AddBitmap(0, background, false);
    const QSize size = bitmaps->GetBitmapSize(0);
    SetClientSize(size.width(), size.height() - 20);
    keys = std::make_unique<TButtonKeys>(this, router);
}

TPage::~TPage() = default;

void TPage::AttachBoard(TBoard* session) {
    board = session;
    EnableControls(Attached());
}

void TPage::DetachBoard() {
    Detaching();
    board = nullptr;
    EnableControls(false);
}

bool TPage::Attached() {
    Host().Info("", THost::Tone::Success);
    return BoardConnected();
}

TButtonManager& TPage::Buttons() {
    if (!buttons) {
        buttons = std::make_unique<TButtonManager>(this, &GetCanvas(), bmPush);
        router.AddManager(buttons.get());
    }
    return *buttons;
}

void TPage::BindButton(int id, THiddenButton& hidden) {
    router.Bind(Buttons(), id, hidden, "NORMAL_BTN");
}

void TPage::FormPaint() {
    bitmaps->DrawBitmap(0, 0, 0);
    router.PaintButtons();
}

void TPage::FormMouseDown(int x, int y) {
    router.MouseDown(x, y);
}

void TPage::FormMouseMove(int x, int y) {
    router.MouseMove(x, y);
}

void TPage::FormMouseUp(int x, int y) {
    router.MouseUp(x, y);
}

bool TPage::BoardConnected() const {
    return board && board->IsConnected();
}

TPage::TCommandScope::~TCommandScope() {
    if (lost)
        page.RaiseLinkLost();
}

bool TPage::TCommandScope::Run(const std::function<bool(TBoard&)>& command, ClosedLink closed) {
    if (!page.board)
        return false;
    const bool ok = page.RunLocked(command, closed);
    lost |= !ok;
    return ok;
}

bool TPage::RunCommand(const std::function<bool(TBoard&)>& command, ClosedLink closed) {
    TCommandScope scope(*this);
    return scope.Run(command, closed);
}

bool TPage::RunLocked(const std::function<bool(TBoard&)>& command, ClosedLink closed) {
    if (!board)
        return false;
    ShowPendingDrawing(); // a greyed button must look greyed while the command blocks
    std::lock_guard<std::recursive_mutex> lock(board->Lock);
    if (!board->IsConnected())
        return closed == ClosedLink::Success;
    return command(*board);
}

void TPage::RaiseLinkLost() {
    if (OnLinkLost)
        OnLinkLost(this);
}
