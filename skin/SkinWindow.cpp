#include "skin/SkinWindow.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "skin/ScreenCursor.h"

TSkinWindow::TSkinWindow(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), canvas(this, QSize(0, 0)) {
    // The canvas covers every pixel; nothing needs erasing underneath.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
}

void TSkinWindow::SetClientSize(int width, int height) {
    const QSize size(width, height);
    canvas.Resize(size);
    resize(size);
    needsFormPaint = true;
    update();
}

void TSkinWindow::Invalidate() {
    needsFormPaint = true;
    update();
}

void TSkinWindow::RepaintNow() {
    RunFormPaint();
    update();
}

void TSkinWindow::ShowPendingDrawing() {
    // update() leaves an update request for the top-level window in the
    // event queue; delivering it now paints and shows only what is pending.
    QCoreApplication::sendPostedEvents(window(), QEvent::UpdateRequest);
}

void TSkinWindow::RunFormPaint() {
    needsFormPaint = false;
    FormPaint();
}

void TSkinWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (size() != canvas.Size()) {
        canvas.Resize(size());
        needsFormPaint = true;
    }
}

void TSkinWindow::paintEvent(QPaintEvent* event) {
    // Only a whole repaint runs FormPaint. An ordinary update() merely shows
    // the canvas, so a hot or pressed face drawn a moment ago stays on screen.
    // A screen of another device pixel ratio (the window moved, or the
    // platform scaled it) wants the canvas at its own resolution.
    if (needsFormPaint || devicePixelRatioF() != canvas.DevicePixelRatio()) {
        canvas.SetNotifyOwner(false);
        canvas.SetDevicePixelRatio(devicePixelRatioF());
        RunFormPaint();
        canvas.SetNotifyOwner(true);
    }
    QPainter p(this);
    const QRectF shown(event->rect());
    const qreal dpr = canvas.DevicePixelRatio();
    p.drawImage(shown, canvas.Image(),
                QRectF(shown.topLeft() * dpr, shown.size() * dpr));
}

void TSkinWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    FormMouseDown(pos.x(), pos.y());
    if (!IsDraggable() || IsOverSkinButton(pos.x(), pos.y()))
        return;
    if (QWindow* handle = window()->windowHandle(); handle && handle->startSystemMove())
        return;
    // No compositor help: move the window by hand while the button is down.
    dragging = true;
    dragOffset = event->globalPosition().toPoint() - window()->pos();
}

void TSkinWindow::mouseMoveEvent(QMouseEvent* event) {
    if (dragging) {
        if (event->buttons() & Qt::LeftButton) {
            window()->move(event->globalPosition().toPoint() - dragOffset);
            return;
        }
        dragging = false;
    }
    const QPoint pos = event->position().toPoint();
    FormMouseMove(pos.x(), pos.y());
    if (HandCursorOnDragArea() && IsDraggable() && !IsOverSkinButton(pos.x(), pos.y()))
        SetScreenCursor(ScreenCursor::HandPoint);
}

void TSkinWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    dragging = false;
    const QPoint pos = event->position().toPoint();
    FormMouseUp(pos.x(), pos.y());
}

void TSkinWindow::PressAt(int x, int y) {
    FormMouseDown(x, y);
    FormMouseUp(x, y);
}
