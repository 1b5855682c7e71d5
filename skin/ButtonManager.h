#pragma once
#include <QString>
#include <memory>
#include <vector>

#include "skin/CustomButton.h"

class Canvas;
class QWidget;

enum TButtonMode { bmRadio = 0, bmPush = 1, bmToggle = 2 };

// The skinned buttons of one window or group: paints them and turns raw mouse
// events into hot and pressed faces and clicks (reported as the button's id).
class TButtonManager {
public:
    TButtonManager(QWidget* owner, Canvas* canvas, TButtonMode mode);
    ~TButtonManager();
    TButtonManager(const TButtonManager&) = delete;
    TButtonManager& operator=(const TButtonManager&) = delete;

    void AddButton(int id, const QString& caption, const QString& resourceName, int x, int y);
    void PaintButtons();
    bool ButtonsMouseDown(int x, int y);
    bool ButtonsMouseMove(int x, int y, bool resetCursor);
    int ButtonsMouseUp(int x, int y);
    TCustomButton* FindButtonAt(int x, int y) const;
    bool IsOverButton(int x, int y) const { return FindButtonAt(x, y) != nullptr; }
    TCustomButton* FindButton(int id) const;
    void RedrawButton(int id);
    void SetButtonEnabled(int id, bool enabled);
    void SetButtonChecked(int id, bool checked);
    bool IsButtonChecked(int id) const;
    void UncheckAllButtons();
    void SetButtonBitmap(int id, const QString& resourceName);
    void SetButtonCaption(int id, const QString& caption);
    // A click without the mouse (a key): the mode's effect on the checked
    // state as for a release over the button; the id, or -1 for a disabled one.
    int ClickButton(int id);

    // The button that has the keyboard focus, or none; -1 clears it.
    TCustomButton* FocusedButton() const;
    void SetFocusedButton(int id);
    // The button at `index` in adding order.
    TCustomButton* ButtonAt(int index) const { return buttons.at(index).get(); }

    TButtonMode Mode() const { return mode; }
    int HotId() const { return hotId; }
    int Count() const { return static_cast<int>(buttons.size()); }

private:
    void Capture(bool on);
    int Click(TCustomButton& b);
    std::vector<std::unique_ptr<TCustomButton>> buttons;
    int hotId = -1;
    QWidget* owner;
    Canvas* canvas;
    TButtonMode mode;
    bool mouseDown = false;
};
