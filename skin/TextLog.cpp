#include "skin/TextLog.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {

constexpr int kMargin = 2;

} // namespace

TTextLog::TTextLog(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);

    CopyAction = new QAction(tr("&Copy"), this);
    CopyAction->setShortcut(QKeySequence::Copy);
    CopyAction->setShortcutContext(Qt::WidgetShortcut);
    CopyAction->setEnabled(false);
    connect(CopyAction, &QAction::triggered, this, [this] { Copy(); });
    SelectAllAction = new QAction(tr("Select &All"), this);
    SelectAllAction->setShortcut(QKeySequence::SelectAll);
    SelectAllAction->setShortcutContext(Qt::WidgetShortcut);
    connect(SelectAllAction, &QAction::triggered, this, [this] { SelectAll(); });
    addAction(CopyAction);
    addAction(SelectAllAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TTextLog::SetNotation(const Notation& how, const QColor& colour) {
    notation = how;
    notationColour = colour;
    latin1.fill({});
    RelayOutAll();
    UpdateScrollRange(true);
    viewport()->update();
}

const TTextLog::TGlyph& TTextLog::GlyphOf(QChar c) {
    TGlyph& g = latin1[c.unicode()];
    if (g.width == 0) {
        g.shown = notation ? notation(static_cast<uint8_t>(c.unicode())) : QString();
        g.notation = !g.shown.isEmpty();
        if (!g.notation)
            g.shown = QString(c);
        g.width = std::max(1, fontMetrics().horizontalAdvance(g.shown));
    }
    return g;
}

int TTextLog::Advance(QChar c) {
    if (c.unicode() < latin1.size())
        return GlyphOf(c).width;
    return fontMetrics().horizontalAdvance(c);
}

int TTextLog::AvailableWidth() const {
    return std::max(1, viewport()->width() - 2 * kMargin);
}

int TTextLog::LineHeight() const {
    return std::max(1, fontMetrics().height());
}

int TTextLog::VisibleLines() const {
    return std::max(1, (viewport()->height() - kMargin) / LineHeight());
}

int TTextLog::LineEnd(int n) const {
    const int from = lineStarts[n];
    int to = n + 1 < LineCount() ? lineStarts[n + 1] : static_cast<int>(text.size());
    if (to > from && text[to - 1] == u'\n') {
        --to;
        if (to > from && text[to - 1] == u'\r')
            --to;
    }
    return to;
}

void TTextLog::LayOutTail() {
    if (trailingCr.at >= 0) {
        lineStarts.resize(trailingCr.lines);
        lastLineWidth = trailingCr.width;
        laidOut = trailingCr.at;
        trailingCr = {};
    }
    const int width = AvailableWidth();
    const int size = static_cast<int>(text.size());
    int x = lastLineWidth;
    for (int at = laidOut; at < size; ++at) {
        const QChar c = text[at];
        if (c == u'\n') {
            lineStarts.push_back(at + 1);
            x = 0;
            continue;
        }
        if (c == u'\r') {
            if (at + 1 < size && text[at + 1] == u'\n')
                continue; // part of the line break, not drawn
            if (at + 1 == size)
                trailingCr = {at, lineStarts.size(), x};
        }
        const int w = Advance(c);
        if (x > 0 && x + w > width) {
            lineStarts.push_back(at);
            x = 0;
        }
        x += w;
    }
    lastLineWidth = x;
    laidOut = size;
}

void TTextLog::RelayOutAll() {
    lineStarts.assign(1, 0);
    laidOut = 0;
    lastLineWidth = 0;
    trailingCr = {};
    LayOutTail();
}

void TTextLog::UpdateScrollRange(bool follow) {
    QScrollBar* bar = verticalScrollBar();
    const int top = std::max(0, LineCount() - VisibleLines());
    bar->setRange(0, top);
    bar->setPageStep(VisibleLines());
    if (follow)
        bar->setValue(top);
}

void TTextLog::Append(const QString& more) {
    if (more.isEmpty())
        return;
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    text += more;
    LayOutTail();
    UpdateScrollRange(atEnd);
    viewport()->update();
}

void TTextLog::Clear() {
    text.clear();
    Select(0, 0);
    RelayOutAll();
    UpdateScrollRange(true);
    viewport()->update();
}

QString TTextLog::SelectedText() const {
    const int from = std::min(selAnchor, selCursor);
    return text.mid(from, std::max(selAnchor, selCursor) - from);
}

void TTextLog::SelectAll() {
    Select(0, static_cast<int>(text.size()));
}

void TTextLog::Copy() const {
    if (selAnchor != selCursor)
        QGuiApplication::clipboard()->setText(SelectedText());
}

void TTextLog::Select(int anchor, int cursor) {
    selAnchor = anchor;
    selCursor = cursor;
    CopyAction->setEnabled(anchor != cursor);
    viewport()->update();
}

int TTextLog::PositionAt(QPoint point) {
    const int row = point.y() < kMargin ? -1 : (point.y() - kMargin) / LineHeight();
    const int n = std::clamp(verticalScrollBar()->value() + row, 0, LineCount() - 1);
    const int end = LineEnd(n);
    int x = kMargin;
    for (int at = lineStarts[n]; at < end; ++at) {
        const int w = Advance(text[at]);
        if (point.x() < x + w / 2)
            return at;
        x += w;
    }
    return end;
}

void TTextLog::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const int at = PositionAt(event->position().toPoint());
    Select(event->modifiers() & Qt::ShiftModifier ? selAnchor : at, at);
    selecting = true;
}

void TTextLog::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting)
        return QAbstractScrollArea::mouseMoveEvent(event);
    // Dragging past the top or the bottom scrolls a line at a time.
    const QPoint p = event->position().toPoint();
    QScrollBar* bar = verticalScrollBar();
    if (p.y() < 0)
        bar->setValue(bar->value() - 1);
    else if (p.y() >= viewport()->height())
        bar->setValue(bar->value() + 1);
    Select(selAnchor, PositionAt(p));
}

void TTextLog::mouseReleaseEvent(QMouseEvent* event) {
    if (!selecting || event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    selecting = false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection() && selAnchor != selCursor)
        clipboard->setText(SelectedText(), QClipboard::Selection);
}

void TTextLog::keyPressEvent(QKeyEvent* event) {
    // Reached when the shortcuts are not (the box is not the focus widget).
    if (event->matches(QKeySequence::Copy))
        Copy();
    else if (event->matches(QKeySequence::SelectAll))
        SelectAll();
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void TTextLog::DrawLine(QPainter& p, int n, int baseline) {
    const QColor textColour = palette().color(QPalette::Text);
    const QColor selectedColour = palette().color(QPalette::HighlightedText);
    const int selFrom = std::min(selAnchor, selCursor);
    const int selTo = std::max(selAnchor, selCursor);
    const int top = baseline - fontMetrics().ascent();
    const int end = LineEnd(n);
    int x = kMargin;
    QString run;
    for (int at = lineStarts[n]; at < end;) {
        // One run: characters alike in being selected and in being notations.
        const bool selected = at >= selFrom && at < selTo;
        const QChar first = text[at];
        const bool isNotation = first.unicode() < latin1.size() && GlyphOf(first).notation;
        run.clear();
        int width = 0;
        for (; at < end; ++at) {
            const QChar c = text[at];
            const bool latin = c.unicode() < latin1.size();
            if ((at >= selFrom && at < selTo) != selected ||
                (latin && GlyphOf(c).notation) != isNotation)
                break;
            run += latin ? GlyphOf(c).shown : QString(c);
            width += Advance(c);
        }
        if (selected)
            p.fillRect(x, top, width, LineHeight(), palette().color(QPalette::Highlight));
        p.setPen(selected ? selectedColour : isNotation ? notationColour : textColour);
        p.drawText(x, baseline, run);
        x += width;
    }
}

void TTextLog::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.setFont(font());
    const int ascent = fontMetrics().ascent();
    const int first = verticalScrollBar()->value();
    const int last = std::min(LineCount(), first + VisibleLines() + 1);
    for (int n = first; n < last; ++n)
        DrawLine(p, n, kMargin + (n - first) * LineHeight() + ascent);
}

void TTextLog::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    RelayOutAll();
    UpdateScrollRange(true);
}

void TTextLog::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        latin1.fill({});
        RelayOutAll();
        UpdateScrollRange(true);
    }
}
