#pragma once
#include <QPoint>
#include <QWidget>

#include "skin/Canvas.h"

// Base of every skinned window: owns the Canvas, runs FormPaint onto it when the
// window must be painted whole, shows the Canvas on screen, and forwards mouse
// events in client coordinates. A top-level window without a skinned button under
// a press is dragged.
class TSkinWindow : public QWidget {
    Q_OBJECT
public:
    explicit TSkinWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    Canvas& GetCanvas() { return canvas; }
    // Sets the client size, and the canvas with it.
    void SetClientSize(int width, int height);
    // Asks for a whole repaint through FormPaint (the toolkit's Invalidate/Repaint).
    void Invalidate();
    // Runs FormPaint now, without waiting for the event loop.
    void RepaintNow();
    // Shows at once what has been drawn anywhere in this window's top-level
    // window but is not on screen yet. Called before a command that blocks the
    // event loop, which would otherwise show it only after the command.
    void ShowPendingDrawing();
    // A press and release at a point without the mouse: a key that presses a
    // skinned button runs the window's own click handling.
    void PressAt(int x, int y);

protected:
    virtual void FormPaint() {}
    virtual void FormMouseDown(int /*x*/, int /*y*/) {}
    virtual void FormMouseMove(int /*x*/, int /*y*/) {}
    virtual void FormMouseUp(int /*x*/, int /*y*/) {}
    // Whether an enabled skinned button lies under the point; a top-level window
    // is dragged only from elsewhere. Pages are never dragged.
    virtual bool IsOverSkinButton(int /*x*/, int /*y*/) const { return false; }
    virtual bool IsDraggable() const { return isWindow(); }
    // The main window answers its non-client hit test with the hand-point
    // cursor wherever it can be dragged; a window that wants that says so here.
    virtual bool HandCursorOnDragArea() const { return false; }

    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    void RunFormPaint();
    Canvas canvas;
    bool needsFormPaint = true;
    bool dragging = false;
    QPoint dragOffset;
};
