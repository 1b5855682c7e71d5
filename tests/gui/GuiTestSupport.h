#pragma once
#include <QImage>
#include <QPoint>
#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "core/ForwardingHost.h"
#include "pages/PanelHost.h"
#include "tests/support/TestVBoard.h"

class QWidget;
class TDialogRecorder;

// Processes events until `done` holds; false when `timeoutMs` ran out first.
bool WaitFor(const std::function<bool()>& done, int timeoutMs);
// Processes events for about `ms` milliseconds.
void Pump(int ms);

// A left click (press and release) at client coordinates of a skinned window.
void ClickAt(QWidget* window, int x, int y);

// One face of a button strip, as the skin draws it.
QImage Face(const QString& strip, int face);
// Whether `canvas` holds `expected` pixel for pixel with its top-left at `at`.
bool RegionMatches(const QImage& canvas, QPoint at, const QImage& expected);

// Hands a test every info line with the colour the panel shows it in, and
// passes every report on to the panel's plain host (boxes reach the installed
// dialogs). A page tells it what it tells the user once it is the page's host
// (TPage::SetHost).
class TInfoWatch : public TForwardingHost {
  public:
    using Sink = std::function<void(const std::string& text, uint32_t colour)>;
    explicit TInfoWatch(Sink sink);
    TInfoWatch(const TInfoWatch&) = delete;
    TInfoWatch& operator=(const TInfoWatch&) = delete;

    void Info(const std::string& text, Tone tone) override;

  private:
    Sink sink;
    TPanelHost plain;
};

// Every GUI test: a private runtime directory (so the single-instance lock of
// one test never meets another's) and recorded message boxes.
class GuiTest : public ::testing::Test {
  protected:
    GuiTest();
    ~GuiTest() override;

    TempDir runtimeDir;
    TDialogRecorder* dialogs = nullptr; // owned by the installed dialogs
};
