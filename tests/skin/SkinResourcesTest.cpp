#include <gtest/gtest.h>

#include <vector>

#include "skin/SkinResources.h"

namespace {

// The sizes the windows' layouts were drawn for, and the pictures drawn at
// each; sprites carry a see-through key colour.
struct SizeGroup {
    int width;
    int height;
    bool sprite;
    std::vector<const char*> names;
};
const SizeGroup kSizes[] = {
    {620, 600, false, {"MAIN_UI"}},
    {300, 300, false, {"ABOUT_BK"}},
    {387,
     296,
     false,
     {"TAB_DLG_BK", "BT_DLG_BK", "MEMORY_DLG_BK", "SDCARD_DLG_BK", "HSMC_DLG_BK", "IR_DLG_BK",
      "USB_DLG_BK"}},
    {19, 63, true, {"SW_UP", "SW_DOWN"}},
    {44, 44, true, {"BUTTON_UP", "BUTTON_DOWN"}},
    {37,
     37,
     true,
     {"USB_DISK_OFF", "USB_DISK_ON", "USB_MOUSE_OFF", "USB_MOUSE_ON", "USB_OTHER_OFF",
      "USB_OTHER_ON"}},
    {16, 16, true, {"PS2_MOUSE", "PS2_MOUSE_L", "PS2_MOUSE_R", "PS2_MOUSE_LR"}},
    {64, 68, false, {"NORMAL_BTN"}},
    {122, 68, false, {"MIDDLE_BTN"}},
    {189, 68, false, {"LONG_BTN"}},
    {20, 68, false, {"LEFT_BTN", "RIGHT_BTN"}},
    {81, 108, false, {"TAB_BUTTON"}},
    {37, 48, false, {"CLOSE_BTN", "MINI_BTN", "ABOUT_BTN"}},
    {60, 244, false, {"CONNECT_BTN", "DISCONNECT_BTN"}},
    {22, 144, false, {"LEDG_LIGHT_BTN", "LEDG_UNLIGHT_BTN", "LEDR_LIGHT_BTN", "LEDR_UNLIGHT_BTN"}},
};

TEST(SkinResourcesTest, EveryBitmapExistsAtItsSize) {
    for (const SizeGroup& group : kSizes)
        for (const char* name : group.names) {
            SCOPED_TRACE(name);
            const QImage image = LoadSkinBitmap(QString::fromLatin1(name));
            EXPECT_EQ(image.size(), QSize(group.width, group.height));
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
    for (const SizeGroup& group : kSizes) {
        if (!group.sprite)
            continue;
        for (const char* name : group.names) {
            SCOPED_TRACE(name);
            const QImage image = LoadSkinBitmap(QString::fromLatin1(name));
            const QRgb key = image.pixel(0, image.height() - 1);
            EXPECT_EQ(image.pixel(0, 0), key);
            EXPECT_EQ(image.pixel(image.width() - 1, 0), key);
            EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), key);
        }
    }
}

TEST(SkinResourcesTest, MissingNameThrows) {
    EXPECT_FALSE(SkinBitmapExists(QStringLiteral("NO_SUCH_BITMAP")));
    EXPECT_THROW(LoadSkinBitmap(QStringLiteral("NO_SUCH_BITMAP")), ResourceNotFound);
    EXPECT_THROW(LoadSkinBitmap(QString()), ResourceNotFound);
}

} // namespace
