// Draws every skin bitmap of the panel and writes them, with a resource list,
// into the build tree. Run at build time under the offscreen platform.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <vector>

#include "resources/skin/Draw.h"
#include "resources/skin/Pictures.h"

using namespace skingen;

namespace {

enum class Kind { MainUi, About, Page, Strip, Sprite };

struct Picture {
    const char* name;
    int width;
    int height;
    Kind kind;
};

// The pictures the windows load by name, at the sizes their layouts rely on.
constexpr Picture kPictures[] = {
    {"MAIN_UI", 620, 600, Kind::MainUi},
    {"ABOUT_BK", 300, 300, Kind::About},
    {"TAB_DLG_BK", 387, 296, Kind::Page},
    {"BT_DLG_BK", 387, 296, Kind::Page},
    {"MEMORY_DLG_BK", 387, 296, Kind::Page},
    {"SDCARD_DLG_BK", 387, 296, Kind::Page},
    {"HSMC_DLG_BK", 387, 296, Kind::Page},
    {"IR_DLG_BK", 387, 296, Kind::Page},
    {"USB_DLG_BK", 387, 296, Kind::Page},
    {"SW_UP", 19, 63, Kind::Sprite},
    {"SW_DOWN", 19, 63, Kind::Sprite},
    {"BUTTON_UP", 44, 44, Kind::Sprite},
    {"BUTTON_DOWN", 44, 44, Kind::Sprite},
    {"HEX_0", 40, 59, Kind::Sprite},
    {"HEX_1", 40, 59, Kind::Sprite},
    {"HEX_2", 40, 59, Kind::Sprite},
    {"HEX_3", 40, 59, Kind::Sprite},
    {"HEX_4", 40, 59, Kind::Sprite},
    {"HEX_5", 40, 59, Kind::Sprite},
    {"HEX_6", 40, 59, Kind::Sprite},
    {"HEX_7", 40, 59, Kind::Sprite},
    {"HEX_8", 40, 59, Kind::Sprite},
    {"HEX_9", 40, 59, Kind::Sprite},
    {"HEX_A", 40, 59, Kind::Sprite},
    {"HEX_B", 40, 59, Kind::Sprite},
    {"HEX_C", 40, 59, Kind::Sprite},
    {"HEX_D", 40, 59, Kind::Sprite},
    {"HEX_E", 40, 59, Kind::Sprite},
    {"HEX_F", 40, 59, Kind::Sprite},
    {"USB_DISK_OFF", 37, 37, Kind::Sprite},
    {"USB_DISK_ON", 37, 37, Kind::Sprite},
    {"USB_MOUSE_OFF", 37, 37, Kind::Sprite},
    {"USB_MOUSE_ON", 37, 37, Kind::Sprite},
    {"USB_OTHER_OFF", 37, 37, Kind::Sprite},
    {"USB_OTHER_ON", 37, 37, Kind::Sprite},
    {"PS2_MOUSE", 16, 16, Kind::Sprite},
    {"PS2_MOUSE_L", 16, 16, Kind::Sprite},
    {"PS2_MOUSE_R", 16, 16, Kind::Sprite},
    {"PS2_MOUSE_LR", 16, 16, Kind::Sprite},
    {"NORMAL_BTN", 64, 68, Kind::Strip},
    {"MIDDLE_BTN", 122, 68, Kind::Strip},
    {"LONG_BTN", 189, 68, Kind::Strip},
    {"LEFT_BTN", 20, 68, Kind::Strip},
    {"RIGHT_BTN", 20, 68, Kind::Strip},
    {"TAB_BUTTON", 81, 108, Kind::Strip},
    {"CLOSE_BTN", 37, 48, Kind::Strip},
    {"MINI_BTN", 37, 48, Kind::Strip},
    {"ABOUT_BTN", 37, 48, Kind::Strip},
    {"CONNECT_BTN", 60, 244, Kind::Strip},
    {"DISCONNECT_BTN", 60, 244, Kind::Strip},
    {"LEDG_LIGHT_BTN", 22, 144, Kind::Strip},
    {"LEDG_UNLIGHT_BTN", 22, 144, Kind::Strip},
    {"LEDR_LIGHT_BTN", 22, 144, Kind::Strip},
    {"LEDR_UNLIGHT_BTN", 22, 144, Kind::Strip},
};

constexpr int kWelcomeFrames = 24;
constexpr int kWelcomeWidth = 387;
constexpr int kWelcomeHeight = 296;

QImage Paint(const Picture& p) {
    const QString name = QString::fromLatin1(p.name);
    switch (p.kind) {
    case Kind::MainUi:
        return PaintMainUi(p.width, p.height);
    case Kind::About:
        return PaintAboutBackground(p.width, p.height);
    case Kind::Page:
        return PaintPageBackground(name, p.width, p.height);
    case Kind::Strip:
        return PaintButtonStrip(name, p.width, p.height);
    case Kind::Sprite:
        return PaintSprite(name, p.width, p.height);
    }
    return {};
}

bool Save(const QImage& image, const QString& dir, const QString& name, QSize size,
          QStringList& files) {
    if (image.size() != size) {
        std::fprintf(stderr, "skin generator: %s drawn at the wrong size\n", qPrintable(name));
        return false;
    }
    const QString file = name + QStringLiteral(".png");
    // RGB888 makes the PNG plain 24-bit colour, without an alpha channel.
    if (!image.convertToFormat(QImage::Format_RGB888).save(dir + '/' + file, "PNG")) {
        std::fprintf(stderr, "skin generator: cannot write %s\n", qPrintable(file));
        return false;
    }
    files << file;
    return true;
}

bool WriteQrc(const QString& path, const QString& prefix, const QStringList& files) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&f);
    out << "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"" << prefix << "\">\n";
    for (const QString& file : files)
        out << "  <file>" << file << "</file>\n";
    out << "</qresource>\n</RCC>\n";
    return true;
}

// Draws the whole set at one scale into `dir`, with its resource list.
bool WriteSet(const QString& dir, int scale, const QString& qrcName, const QString& prefix) {
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "skin generator: cannot create %s\n", qPrintable(dir));
        return false;
    }
    SetDrawScale(scale);
    QStringList files;
    for (const Picture& p : kPictures)
        if (!Save(Paint(p), dir, QString::fromLatin1(p.name), QSize(p.width, p.height) * scale,
                  files))
            return false;
    for (int i = 0; i < kWelcomeFrames; ++i) {
        const QString name = QStringLiteral("WELCOME_AVI_%1").arg(i, 2, 10, QLatin1Char('0'));
        if (!Save(PaintWelcomeFrame(i, kWelcomeFrames, kWelcomeWidth, kWelcomeHeight), dir, name,
                  QSize(kWelcomeWidth, kWelcomeHeight) * scale, files))
            return false;
    }
    if (!WriteQrc(dir + '/' + qrcName, prefix, files)) {
        std::fprintf(stderr, "skin generator: cannot write %s\n", qPrintable(qrcName));
        return false;
    }
    return true;
}

} // namespace

// The 1x set is what every window loads; the 2x set, the same drawing at
// twice the resolution, serves screens with a device pixel ratio above 1.
// With --board-source it writes only the board picture's two files.
int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--board-source") {
        if (WriteBoardSource(QString::fromLocal8Bit(argv[2])))
            return 0;
        std::fprintf(stderr, "skin generator: cannot write %s\n", argv[2]);
        return 1;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR OUTPUT_DIR_2X | --board-source DIR\n",
                     argv[0]);
        return 2;
    }
    const bool ok =
        WriteSet(QString::fromLocal8Bit(argv[1]), 1, QStringLiteral("skin.qrc"),
                 QStringLiteral("/skin")) &&
        WriteSet(QString::fromLocal8Bit(argv[2]), 2, QStringLiteral("skin2x.qrc"),
                 QStringLiteral("/skin2x"));
    return ok ? 0 : 1;
}
