#pragma once
#include <QPoint>
#include <QString>
#include <vector>

class TButtonManager;
class TCustomButton;
struct THiddenButton;

// The skinned buttons of one window, over all its button managers: mouse events
// go to the managers in the order they were added until one takes them, and a
// hidden standard button bound to a skinned one lends it position and caption,
// shares its enabled state and has its click handler run for the button's id.
class TButtonRouter {
  public:
    // Managers stay owned by the window; they are asked in this order.
    void AddManager(TButtonManager* manager);

    // Adds skinned button `id` to `manager` at the hidden button's place, with
    // its caption and the strip `bitmap`, and binds the two.
    void Bind(TButtonManager& manager, int id, THiddenButton& hidden, const QString& bitmap);
    // Enables or disables a bound pair together.
    void SetEnabled(THiddenButton& hidden, bool on);

    void PaintButtons();
    bool IsOverButton(int x, int y) const;
    bool MouseDown(int x, int y);
    // Only the last manager resets the cursor, so a hot button of an earlier
    // one keeps the hand.
    bool MouseMove(int x, int y);

    struct Hit {
        TButtonManager* manager = nullptr;
        int id = -1;
        bool bound = false; // a hidden button's click handler ran
    };
    // The released button, if any; a bound one has already clicked its hidden
    // button (which does nothing while disabled).
    Hit MouseUp(int x, int y);
    // A click on button `id` of `manager` without the mouse, as a release over it.
    Hit Click(TButtonManager& manager, int id);

    // Keyboard focus over all managers, in the order they take the mouse:
    // moves it to the next (or previous) enabled button that a click reaches;
    // false, with no button focused, past the last (or first) one.
    bool FocusNext(bool forward);
    TCustomButton* FocusedButton() const;
    void ClearFocus();
    // Where a click on the button lands.
    static QPoint Centre(const TCustomButton& b);

  private:
    struct Binding {
        TButtonManager* manager;
        int id;
        THiddenButton* hidden;
    };
    const Binding* FindBinding(const TButtonManager* manager, int id) const;
    Hit Clicked(TButtonManager* manager, int id);
    bool Focusable(const TCustomButton& b) const;
    std::vector<TButtonManager*> managers;
    std::vector<Binding> bindings;
};
