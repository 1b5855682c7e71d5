#include "skin/TextLog.h"

#include <QEvent>
#include <QFontMetrics>
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
    setFocusPolicy(Qt::NoFocus);
}

QChar TTextLog::Shown(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x20)
        return QChar(char16_t(0x2400 + u)); // the control pictures: NUL to US
    if (u == 0x7F)
        return QChar(char16_t(0x2421)); // DEL
    if (u >= 0x80 && u < 0xA0)
        return QChar(char16_t(0x25AF)); // a C1 control has no picture of its own
    return c;
}

int TTextLog::Advance(QChar c) {
    const char16_t u = c.unicode();
    if (u < latin1Widths.size()) {
        int& w = latin1Widths[u];
        if (w == 0)
            w = std::max(1, fontMetrics().horizontalAdvance(Shown(c)));
        return w;
    }
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

void TTextLog::LayOutTail() {
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
    RelayOutAll();
    UpdateScrollRange(true);
    viewport()->update();
}

void TTextLog::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.setPen(palette().color(QPalette::Text));
    p.setFont(font());
    const int ascent = fontMetrics().ascent();
    const int first = verticalScrollBar()->value();
    const int last = std::min(LineCount(), first + VisibleLines() + 1);
    QString line;
    for (int n = first; n < last; ++n) {
        const int from = lineStarts[n];
        int to = n + 1 < LineCount() ? lineStarts[n + 1] : static_cast<int>(text.size());
        if (to > from && text[to - 1] == u'\n')
            --to;
        line.resize(to - from);
        for (int i = from; i < to; ++i)
            line[i - from] = Shown(text[i]);
        p.drawText(kMargin, kMargin + (n - first) * LineHeight() + ascent, line);
    }
}

void TTextLog::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    RelayOutAll();
    UpdateScrollRange(true);
}

void TTextLog::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        latin1Widths.fill(0);
        RelayOutAll();
        UpdateScrollRange(true);
    }
}
