#pragma once
#include <QAbstractScrollArea>
#include <QString>
#include <array>
#include <vector>

// A read-only, multi-line text box for text that only ever grows, such as
// what a serial port receives. Appending lays out only the new text and a
// repaint draws only the visible lines, so an append costs the same however
// long the text already is. Lines break at line feeds and wrap at the box's
// width; a control character is shown as one visible symbol, so every
// character of the text takes exactly one place on the screen.
class TTextLog : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit TTextLog(QWidget* parent);

    void Append(const QString& more);
    void Clear();
    const QString& Text() const { return text; }
    int LineCount() const { return static_cast<int>(lineStarts.size()); }

    // The character drawn for `c`.
    static QChar Shown(QChar c);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    int Advance(QChar c);
    int AvailableWidth() const;
    int LineHeight() const;
    int VisibleLines() const;
    // Lays out the text from the start of the last line on.
    void LayOutTail();
    void RelayOutAll();
    void UpdateScrollRange(bool follow);

    QString text;
    std::vector<int> lineStarts{0}; // where each shown line begins
    int laidOut = 0;                // characters laid out so far
    int lastLineWidth = 0;          // pixels of the last line so far
    std::array<int, 256> latin1Widths{}; // 0: not measured yet
};
