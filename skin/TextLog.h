#pragma once
#include <QAbstractScrollArea>
#include <QColor>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class QAction;

// A read-only, multi-line text box for text that only ever grows, such as
// what a serial port receives. Appending lays out only the new text and a
// repaint draws only the visible lines, so an append costs the same however
// long the text already is. Lines break at line feeds (a CR just before one
// belongs to the break) and wrap at the box's width. The text can be selected
// with the mouse and copied (Ctrl+A, Ctrl+C, or the context menu).
class TTextLog : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit TTextLog(QWidget* parent);

    // How a character of one byte that has no picture of its own is written
    // (empty: as itself), and the colour that tells such a notation from
    // received text. Without it every character is drawn as itself.
    using Notation = std::function<QString(uint8_t)>;
    void SetNotation(const Notation& notation, const QColor& colour);

    void Append(const QString& more);
    void Clear();
    const QString& Text() const { return text; }
    int LineCount() const { return static_cast<int>(lineStarts.size()); }

    // The characters selected, as received (control characters included).
    QString SelectedText() const;
    void SelectAll();
    // The selection onto the clipboard; nothing happens without one.
    void Copy() const;

    QAction* CopyAction = nullptr;
    QAction* SelectAllAction = nullptr;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // What a character of one byte looks like: its text and its width.
    struct TGlyph {
        QString shown;
        int width = 0; // 0: not measured yet
        bool notation = false;
    };
    const TGlyph& GlyphOf(QChar c);
    int Advance(QChar c);
    int AvailableWidth() const;
    int LineHeight() const;
    int VisibleLines() const;
    // Where line `n`'s drawn characters end: before its line feed and the CR
    // that belongs to it.
    int LineEnd(int n) const;
    // The character boundary nearest to a point of the viewport.
    int PositionAt(QPoint point);
    // Lays out the text from the start of the last line on.
    void LayOutTail();
    void RelayOutAll();
    void UpdateScrollRange(bool follow);
    void Select(int anchor, int cursor);
    void DrawLine(QPainter& p, int n, int baseline);

    QString text;
    std::vector<int> lineStarts{0}; // where each shown line begins
    int laidOut = 0;                // characters laid out so far
    int lastLineWidth = 0;          // pixels of the last line so far
    // A CR at the very end is drawn until it turns out to belong to a line
    // break; where the layout stood before it, to lay it out again then.
    struct TCheckpoint {
        int at = -1;
        size_t lines = 0;
        int width = 0;
    } trailingCr;

    Notation notation;
    QColor notationColour;
    std::array<TGlyph, 256> latin1{};

    int selAnchor = 0;
    int selCursor = 0;
    bool selecting = false;
};
