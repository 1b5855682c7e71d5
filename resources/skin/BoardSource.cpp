// Writes the board picture as C++ source for the Qt-free report writers: the
// board cut from the main window's picture, drawn at twice the size so that a
// page shows it large and sharp, as base64 PNG, and each device's frame in
// that picture's pixels.
#include <QBuffer>
#include <QFile>
#include <QTextStream>

#include "resources/skin/Draw.h"
#include "resources/skin/Pictures.h"

namespace skingen {

bool WriteBoardSource(const QString& path) {
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
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !board.save(&buffer, "PNG"))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out << "// Drawn by kbr_skin_gen; do not edit.\n"
           "#include \"core/jobs/BoardPicture.h\"\n\n"
           "namespace kbr::boardpicture {\n\n"
           "const char kPngBase64[] =\n";
    const QByteArray base64 = png.toBase64();
    for (qsizetype at = 0; at < base64.size(); at += 96)
        out << "    \"" << base64.mid(at, 96) << "\"\n";
    out << "    ;\nconst int kWidth = " << board.width()
        << ";\nconst int kHeight = " << board.height() << ";\n\nconst TDevice kDevices[] = {\n";
    int count = 0;
    for (const auto& [name, frame] : frames) {
        const QRect r = frame.translated(-area.topLeft());
        out << "    {\"" << name << "\", " << r.x() * kScale << ", " << r.y() * kScale << ", "
            << r.width() * kScale << ", " << r.height() * kScale << "},\n";
        ++count;
    }
    out << "};\nconst size_t kDeviceCount = " << count << ";\n\n} // namespace kbr::boardpicture\n";
    return out.status() == QTextStream::Ok && file.flush();
}

} // namespace skingen
