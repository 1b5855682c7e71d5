#pragma once
#include <QPoint>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/FormMain.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/RecordingHost.h"

class TButtonManager;

// The main window against its own virtual board, with everything it reports
// recorded; the window's tests and the pages' main-window cases share it.
class MainWindowFixture : public GuiTest {
  protected:
    using Kind = TRecordingHost::Kind;

    ~MainWindowFixture() override;

    // Starts the window and waits for the first connection sequence to end;
    // `beforeWindow` runs on the board before the window exists.
    void Start(bool configuredBoard, const std::function<void()>& beforeWindow = {});

    // Centre of a skinned button, in its window's client coordinates.
    static QPoint Centre(TButtonManager& manager, int id);

    // Presses a skinned button of the main window; Connect waits for the
    // sequence it started, unless `wait` is false.
    void ClickSystem(int id, bool wait = true);
    void ClickTab(int id);

    // A key as the keyboard gives it: to the window, which hands it to its
    // shortcuts or its focused control.
    static void Key(QWidget* window, int key, Qt::KeyboardModifiers modifiers = {});
    void Key(int key, Qt::KeyboardModifiers modifiers = {}) { Key(form.get(), key, modifiers); }

    // The last info line that said something.
    std::string LastInfo() const;

    std::unique_ptr<TestVBoard> board;
    std::unique_ptr<TFormMain> form;
    std::unique_ptr<TRecordingHost> recorder;
    int sequences = 0;
    uint32_t createdMs = 0;
};
