#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/PageTable.h"
#include "board/Board.h"
#include "skin/ButtonRouter.h"
#include "skin/HiddenButton.h"
#include "skin/SkinWindow.h"

class QLabel;
class QProgressBar;
class QTimer;
class TAnimate;
class TBitmapManager;
class TButtonKeys;
class TButtonManager;
class TPage;

// The main window: skin, tabs and system buttons, the page area, the status
// and info lines, and the connection sequence. It owns the one board session.
class TFormMain : public TSkinWindow {
    Q_OBJECT
  public:
    static constexpr int WM_CONNECT = 1025; // the first user message number plus one
    static constexpr int TAB_ALL = 20;
    static constexpr int TAB_CURRENT = 21;
    static constexpr uint8_t FPGA_NONE = 0;
    static constexpr uint8_t FPGA_UNSUPPORTED = 1;
    static constexpr uint8_t FPGA_EP3C120_EP4CE115 = 2;

    explicit TFormMain(QWidget* parent = nullptr);
    ~TFormMain() override;

    // Status label and info line.
    void SetStatusText(const std::string& text, uint32_t colour);
    void SetInfoText(const std::string& text, uint32_t colour);

    // Connection sequence.
    void ButtonConnectClick();
    bool ConnectBoard();
    bool CheckBoard(bool showError);
    bool ConfigureFpga(uint8_t fpgaType);
    void DisconnectBoard();
    void DetachCurrentPage();
    void EnableControls(bool enable, int tab);
    void StartProgress(uint32_t durationMs, int fromPercent, int toPercent);
    void EndProgress();
    void TimerProgressTimer();

    // Page framework.
    void CreatePages();
    void DestroyPages();
    void ShowPage(int kind);
    void BindPage(int kind, bool attach);
    void HighlightDevice(int kind);
    void ShowWelcome(bool visible);
    void HandleLinkLost(TPage* sender);
    void HandleFramedPartChanged(TPage* sender);

    void ButtonAboutClick();
    void ButtonMiniClick();

    // A skinned button clicked, by the mouse or a key: a tab shows its page,
    // a system button runs its handler.
    void ButtonClicked(const TButtonRouter::Hit& hit);
    // The keyboard's ways to the buttons, each as a click where it is enabled.
    void PressSystemButton(int id);
    void PressTab(int id);
    // The next (+1) or previous (-1) enabled tab after the current page's, in
    // the tabs' order, wrapping around.
    void StepPage(int step);

    // The window's own messages (posted with PostMessage).
    void WndProc(int message);
    void PostMessage(int message);

    // Seen by tests, the benchmark and the screenshot tool.
    TBoard& Board() { return board; }
    TPage* Page(int kind) const;
    int CurrentPage() const { return currentPage; }
    bool Connecting() const { return connecting; }
    const std::string& FpgaTypeText() const { return fpgaTypeText; }
    TButtonManager& TabButtons() { return *tabButtons; }
    TButtonManager& SystemButtons() { return *systemButtons; }
    QLabel* StatusLabel() const { return LabelConnectStatus; }
    QLabel* InfoLabel() const { return LabelInfo; }
    QLabel* InfoImage() const { return ImageInfo; }
    QLabel* CaptionLabel() const { return LabelCaption; }
    QProgressBar* Gauge() const { return CGaugeConfig; }
    TAnimate* Welcome() const { return AnimateWelcome; }
    bool FrameVisible(int frame) const { return frameVisible[frame]; }
    double TimeScale = 1.0;

    THiddenButton ButtonConnect;
    THiddenButton ButtonClose;
    THiddenButton ButtonAbout;
    THiddenButton ButtonMini;

    // Called with each status text; and once a connect or disconnect has run.
    std::function<void(const std::string& text, uint32_t colour)> OnStatusChanged;
    std::function<void()> OnConnectSequenceDone;

  protected:
    void FormPaint() override;
    void FormMouseDown(int x, int y) override;
    void FormMouseMove(int x, int y) override;
    void FormMouseUp(int x, int y) override;
    bool IsOverSkinButton(int x, int y) const override;
    // Outside every button the window is dragged, shown by the hand cursor.
    bool HandCursorOnDragArea() const override { return true; }
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildSkin();
    void BuildKeys();
    void FormCreate();
    void TimerRunTimer();
    void SetConnectButton(bool connected);
    static uint8_t ClassifyFpgaType(const std::string& text);

    TBoard board;
    std::unique_ptr<TBitmapManager> bitmaps;
    std::unique_ptr<TButtonManager> tabButtons;
    std::unique_ptr<TButtonManager> systemButtons;
    TButtonRouter router;
    std::unique_ptr<TButtonKeys> keys;
    std::array<TPage*, kPageCount> pages{};
    std::array<bool, kFrameCount> frameVisible{};
    int currentPage = PAGE_WELCOME;

    std::string fpgaTypeText;
    uint8_t fpgaType = FPGA_NONE;
    bool connecting = false;
    bool centred = false;

    // Gauge animation.
    uint32_t progressDuration = 0;
    int progressFrom = 0;
    int progressTo = 0;
    uint32_t progressStart = 0;

    QLabel* LabelCaption = nullptr;
    QLabel* LabelConnectStatus = nullptr;
    QProgressBar* CGaugeConfig = nullptr;
    QLabel* LabelInfo = nullptr;
    QLabel* ImageInfo = nullptr;
    TAnimate* AnimateWelcome = nullptr;
    QTimer* TimerRun = nullptr;
    QTimer* TimerProgress = nullptr;
};
