// Writes the board picture that the Qt-free report writers embed: the board
// cut from the main window's picture, drawn at twice the size so that a page
// shows it large and sharp, as a PNG, and each device's frame in that
// picture's pixels. The build checks both files in under resources/board and
// a test keeps them equal to what this draws.
#include <QFile>
#include <QTextStream>

#include "resources/skin/Draw.h"
#include "resources/skin/Pictures.h"

namespace skingen {

bool WriteBoardSource(const QString& dir) {
    constexpr int kScale = 2;
    SetDrawScale(kScale);
    // The board with its shadow, and the connectors that stand over its edge.
    QRect area = BoardArea().adjusted(0, 0, 3, 3);
    const auto frames = BoardDeviceFrames();
    for (const auto& frame : frames)
        area |= frame.second;
    const QImage board = PaintMainUi(620, 600)
                             .copy(QRect(area.topLeft() * kScale, area.size() * kScale))
                             .convertToFormat(QImage::Format_RGB888);
    if (!board.save(dir + QStringLiteral("/board.png"), "PNG"))
        return false;
    QFile file(dir + QStringLiteral("/frames.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out << "# Each device's frame on board.png, in its pixels: name x y width height.\n"
           "# Drawn by kbr_skin_gen --board-source; do not edit.\n";
    for (const auto& [name, frame] : frames) {
        const QRect r = frame.translated(-area.topLeft());
        out << name << ' ' << r.x() * kScale << ' ' << r.y() * kScale << ' '
            << r.width() * kScale << ' ' << r.height() * kScale << '\n';
    }
    return out.status() == QTextStream::Ok && file.flush();
}

} // namespace skingen
