// The USB page against its own virtual board: the device kind read by the
// polling timer, shown as text and icons, and polling's end.
#include <QLabel>

#include "pages/DeviceMonitor.h"
#include "pages/FormUSB.h"
#include "skin/Colours.h"
#include "tests/gui/BoardPageTest.h"

namespace {

class UsbPageTest : public BoardPageTest {
  protected:
    UsbPageTest() {
        Watch(page);
        page.RepaintNow();
    }

    bool Icons(const char* disk, const char* mouse, const char* other) {
        const QImage& canvas = page.GetCanvas().Image();
        const int x = TFormUSB::kIconsX, y = TFormUSB::kIconsY, step = TFormUSB::kIconStep;
        return SpriteAt(canvas, {x, y}, disk) && SpriteAt(canvas, {x + step, y}, mouse) &&
               SpriteAt(canvas, {x + 2 * step, y}, other);
    }
    std::string PortText() const { return page.LabelUsbPort->text().toStdString(); }
    bool WaitForKind(int kind) {
        return WaitFor([&] { return page.UsbDeviceKind() == kind; }, 5000);
    }

    TFormUSB page{nullptr};
};

TEST_F(UsbPageTest, KindsAreShownUntilTheLinkIsLost) {
    EXPECT_TRUE(Icons("USB_DISK_OFF", "USB_MOUSE_OFF", "USB_OTHER_OFF"));
    EXPECT_EQ(PortText(), "\r\n");

    page.AttachBoard(&session);
    ASSERT_FALSE(infos.empty());
    EXPECT_EQ(infos[0].text, "Monitor USB Port. Please Plug an USB-Device...");
    EXPECT_EQ(infos[0].colour, colours::Yellow);
    EXPECT_TRUE(page.Monitor().IsPolling());

    vboard->CtlOk("usb 2");
    ASSERT_TRUE(WaitForKind(2));
    EXPECT_TRUE(Icons("USB_DISK_ON", "USB_MOUSE_OFF", "USB_OTHER_OFF"));
    EXPECT_EQ(PortText(), "\r\nUSB Storage") << "the name stands on the second line";
    EXPECT_EQ(LastInfo().text, "A device is found in the USB Port.");

    // A kind the page does not know: no icon, no name, but a device all the same.
    vboard->CtlOk("usb 7");
    ASSERT_TRUE(WaitForKind(7));
    EXPECT_TRUE(Icons("USB_DISK_OFF", "USB_MOUSE_OFF", "USB_OTHER_OFF"));
    EXPECT_EQ(PortText(), "\r\n");
    EXPECT_EQ(LastInfo().text, "A device is found in the USB Port.");

    // Detached, the page stops asking; the kind stays shown until the next poll.
    page.DetachBoard();
    EXPECT_EQ(LastInfo().text, "");
    EXPECT_FALSE(page.Monitor().IsPolling());
    vboard->CtlOk("usb 1");
    vboard->CtlOk("log requests");
    Pump(400);
    EXPECT_EQ(vboard->CtlOk("log requests"), "");
    EXPECT_EQ(page.UsbDeviceKind(), 7);

    page.AttachBoard(&session);
    ASSERT_TRUE(WaitForKind(1));
    EXPECT_TRUE(Icons("USB_DISK_OFF", "USB_MOUSE_ON", "USB_OTHER_OFF"));

    // A cut link raises OnLinkLost once and polling stops; the kind stays shown.
    vboard->CtlOk("fault disconnect");
    ASSERT_TRUE(WaitFor([&] { return linkLost == 1; }, 10000));
    EXPECT_FALSE(page.Monitor().IsPolling());
    Pump(400);
    EXPECT_EQ(linkLost, 1);
    EXPECT_EQ(PortText(), "\r\nUSB Mouse");
}

} // namespace
