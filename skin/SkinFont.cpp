#include "skin/SkinFont.h"

#include <QFontDatabase>
#include <QHash>

namespace {

// Windows family names -> the faces installed here. Liberation Sans and Serif
// have the metrics of Arial and Times New Roman, so texts keep their widths.
QString MapFamily(const QString& family) {
    static const QHash<QString, QString> table = {
        {QStringLiteral("arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("times new roman"), QStringLiteral("Liberation Serif")},
    };
    const QString key = family.toLower();
    if (const auto it = table.constFind(key); it != table.constEnd())
        return it.value();
    if (key == QLatin1String("ms sans serif")) {
        static const QString sans = [] {
            const QString dejavu = QStringLiteral("DejaVu Sans");
            if (QFontDatabase::hasFamily(dejavu))
                return dejavu;
            return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
        }();
        return sans;
    }
    return family;
}

} // namespace

QFont SkinFontPixels(const QString& family, int pixelSize, bool bold) {
    QFont font(MapFamily(family));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    // An explicit preference keeps glyphs identical on screen and offscreen,
    // whatever the desktop's fontconfig says.
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    return font;
}

QFont SkinFontPoints(const QString& family, int pointSize, bool bold) {
    // Points at 96 dots per inch, rounded as Windows does, so the layout does
    // not depend on the screen's DPI.
    return SkinFontPixels(family, (pointSize * 96 + 36) / 72, bold);
}
