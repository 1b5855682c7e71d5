#include <gtest/gtest.h>

#include "skin/SkinResources.h"

namespace {

struct Expected {
    const char* name;
    int width;
    int height;
    bool sprite;
};

// The sizes the windows' layouts were drawn for.
const Expected kResources[] = {
    {"MAIN_UI", 620, 600, false},      {"ABOUT_BK", 300, 300, false},
    {"TAB_DLG_BK", 387, 296, false},   {"BT_DLG_BK", 387, 296, false},
    {"MEMORY_DLG_BK", 387, 296, false}, {"SDCARD_DLG_BK", 387, 296, false},
    {"HSMC_DLG_BK", 387, 296, false},  {"IR_DLG_BK", 387, 296, false},
    {"USB_DLG_BK", 387, 296, false},   {"SW_UP", 19, 63, true},
    {"SW_DOWN", 19, 63, true},         {"BUTTON_UP", 44, 44, true},
    {"BUTTON_DOWN", 44, 44, true},     {"USB_DISK_OFF", 37, 37, true},
    {"USB_DISK_ON", 37, 37, true},     {"USB_MOUSE_OFF", 37, 37, true},
    {"USB_MOUSE_ON", 37, 37, true},    {"USB_OTHER_OFF", 37, 37, true},
    {"USB_OTHER_ON", 37, 37, true},    {"PS2_MOUSE", 16, 16, true},
    {"PS2_MOUSE_L", 16, 16, true},     {"PS2_MOUSE_R", 16, 16, true},
    {"PS2_MOUSE_LR", 16, 16, true},    {"NORMAL_BTN", 64, 68, false},
    {"MIDDLE_BTN", 122, 68, false},    {"LONG_BTN", 189, 68, false},
    {"LEFT_BTN", 20, 68, false},       {"RIGHT_BTN", 20, 68, false},
    {"TAB_BUTTON", 81, 108, false},    {"CLOSE_BTN", 37, 48, false},
    {"MINI_BTN", 37, 48, false},       {"ABOUT_BTN", 37, 48, false},
    {"CONNECT_BTN", 60, 244, false},   {"DISCONNECT_BTN", 60, 244, false},
    {"LEDG_LIGHT_BTN", 22, 144, false}, {"LEDG_UNLIGHT_BTN", 22, 144, false},
    {"LEDR_LIGHT_BTN", 22, 144, false}, {"LEDR_UNLIGHT_BTN", 22, 144, false},
};

TEST(SkinResourcesTest, EveryBitmapExistsAtItsSize) {
    for (const Expected& e : kResources) {
        SCOPED_TRACE(e.name);
        const QImage image = LoadSkinBitmap(QString::fromLatin1(e.name));
        EXPECT_EQ(image.size(), QSize(e.width, e.height));
        EXPECT_FALSE(image.hasAlphaChannel());
    }
    for (int digit = 0; digit < 16; ++digit) {
        const QString name = QString::asprintf("HEX_%x", digit);  // as the 7-segment page asks
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(LoadSkinBitmap(name).size(), QSize(40, 59));
    }
}

TEST(SkinResourcesTest, PicturesAreDistinctWhereTheyShowDifferentStates) {
    EXPECT_NE(LoadSkinBitmap(QStringLiteral("SW_UP")), LoadSkinBitmap(QStringLiteral("SW_DOWN")));
    EXPECT_NE(LoadSkinBitmap(QStringLiteral("HEX_8")), LoadSkinBitmap(QStringLiteral("HEX_B")));
    EXPECT_NE(LoadSkinBitmap(QStringLiteral("LEDR_LIGHT_BTN")),
              LoadSkinBitmap(QStringLiteral("LEDR_UNLIGHT_BTN")));
    // The four faces of a strip differ, so every state can be seen.
    const QImage strip = LoadSkinBitmap(QStringLiteral("NORMAL_BTN"));
    for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b)
            EXPECT_NE(strip.copy(0, a * 17, 64, 17), strip.copy(0, b * 17, 64, 17)) << a << b;
}

TEST(SkinResourcesTest, SpritesHaveTheirKeyColourInEveryCorner) {
    for (const Expected& e : kResources) {
        if (!e.sprite)
            continue;
        SCOPED_TRACE(e.name);
        const QImage image = LoadSkinBitmap(QString::fromLatin1(e.name));
        const QRgb key = image.pixel(0, image.height() - 1);
        EXPECT_EQ(image.pixel(0, 0), key);
        EXPECT_EQ(image.pixel(image.width() - 1, 0), key);
        EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), key);
    }
}

TEST(SkinResourcesTest, MissingNameThrows) {
    EXPECT_FALSE(SkinBitmapExists(QStringLiteral("NO_SUCH_BITMAP")));
    EXPECT_THROW(LoadSkinBitmap(QStringLiteral("NO_SUCH_BITMAP")), ResourceNotFound);
    EXPECT_THROW(LoadSkinBitmap(QString()), ResourceNotFound);
}

} // namespace
