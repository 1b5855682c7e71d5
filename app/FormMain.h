#pragma once
#include <memory>
#include <string>

#include "app/Connection.h"
#include "app/PageHost.h"
#include "app/WindowHost.h"
#include "board/Board.h"
#include "app/RoutedWindow.h"
#include "skin/HiddenButton.h"

class QLabel;
class QProgressBar;
class TAnimate;
class TButtonManager;
class TPage;

// The main window: skin, tabs and system buttons, the caption, the keys. It
// owns the one board session, the page host and the connection front end.
class TFormMain : public TRoutedWindow {
    Q_OBJECT
  public:
    static constexpr int TAB_ALL = TConnection::TAB_ALL;
    static constexpr int TAB_CURRENT = TConnection::TAB_CURRENT;

    explicit TFormMain(QWidget* parent = nullptr);
    ~TFormMain() override;

    void ButtonConnectClick() { connection->ButtonConnectClick(); }
    void ButtonAboutClick();
    void ButtonMiniClick();

    // A skinned button clicked, by the mouse or a key: a tab shows its page,
    // a system button runs its handler.
    void ButtonClicked(const TButtonRouter::Hit& hit) override;
    // The keyboard's ways to the buttons, each as a click where it is enabled.
    void PressSystemButton(int id);
    void PressTab(int id);
    // The next (+1) or previous (-1) enabled tab after the current page's, in
    // the tabs' order, wrapping around.
    void StepPage(int step);

    // The page host's, for tests, the benchmark and the screenshot tool.
    TPage* Page(int kind) const { return pages->Page(kind); }
    int CurrentPage() const { return pages->CurrentPage(); }
    void ShowPage(int kind) { pages->ShowPage(kind); }
    void BindPage(int kind, bool attach) { pages->BindPage(kind, attach); }
    void HighlightDevice(int kind) { pages->HighlightDevice(kind); }
    bool FrameVisible(int frame) const { return pages->FrameVisible(frame); }

    TBoard& Board() { return board; }
    // The window's own host: its status, info line and gauge.
    TWindowHost& Host() { return *windowHost; }
    // The host the pages and the connection tell the user through: the
    // window's own, or one a test or a tool puts in front of it.
    void SetHost(THost& host) { pages->SetHost(host); }
    TConnection& Connection() { return *connection; }
    bool Connecting() const { return connection->Connecting(); }
    const std::string& FpgaTypeText() const { return connection->FpgaTypeText(); }
    TButtonManager& TabButtons() { return *tabButtons; }
    TButtonManager& SystemButtons() { return *systemButtons; }
    QLabel* StatusLabel() const { return windowHost->StatusLabel(); }
    QLabel* InfoLabel() const { return windowHost->InfoLabel(); }
    QLabel* InfoImage() const { return windowHost->InfoImage(); }
    QLabel* CaptionLabel() const { return LabelCaption; }
    QProgressBar* Gauge() const { return windowHost->Gauge(); }
    TAnimate* Welcome() const { return AnimateWelcome; }

    THiddenButton ButtonConnect;
    THiddenButton ButtonClose;
    THiddenButton ButtonAbout;
    THiddenButton ButtonMini;

    // Called once a connect or disconnect has run.
    std::function<void()> OnConnectSequenceDone;

  protected:
    void FormPaint() override;
    // Outside every button the window is dragged, shown by the hand cursor.
    bool HandCursorOnDragArea() const override { return true; }
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildSkin();
    void BuildKeys();

    TBoard board;
    std::unique_ptr<TButtonManager> tabButtons;
    std::unique_ptr<TButtonManager> systemButtons;
    std::unique_ptr<TPageHost> pages;
    std::unique_ptr<TWindowHost> windowHost;
    std::unique_ptr<TConnection> connection;
    bool centred = false;

    QLabel* LabelCaption = nullptr;
    TAnimate* AnimateWelcome = nullptr;
};
