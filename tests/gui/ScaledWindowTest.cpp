// The main window on a screen of device pixel ratio 2 (run with
// QT_SCALE_FACTOR=2): pictures, frames and texts drawn at the screen's own
// resolution, not enlarged from 1x, while positions stay in 1x coordinates.
#include <QApplication>
#include <set>
#include <vector>

#include "app/FormMain.h"
#include "app/PageTable.h"
#include "pages/Page.h"
#include "skin/ButtonManager.h"
#include "skin/Colours.h"
#include "skin/CustomButton.h"
#include "skin/SkinResources.h"
#include "skin/WinColor.h"
#include "tests/gui/GuiTestSupport.h"

namespace {

QRect Times(const QRect& r, int k) {
    return {r.topLeft() * k, r.size() * k};
}

// How many different columns of pixels `image` has inside `r`.
int DistinctColumns(const QImage& image, const QRect& r) {
    std::set<std::vector<QRgb>> columns;
    for (int x = r.left(); x <= r.right(); ++x) {
        std::vector<QRgb> column;
        for (int y = r.top(); y <= r.bottom(); ++y)
            column.push_back(image.pixel(x, y) | 0xFF000000u);
        columns.insert(column);
    }
    return static_cast<int>(columns.size());
}

class ScaledWindowTest : public GuiTest {};

TEST_F(ScaledWindowTest, MainWindowAtRatioTwoIsDrawnAtTheScreensResolution) {
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "runs with QT_SCALE_FACTOR=2";
    TestVBoard board(true);
    TFormMain form;
    bool connected = false;
    form.OnConnectSequenceDone = [&] { connected = true; };
    form.show();
    ASSERT_TRUE(WaitFor([&] { return connected; }, 30000));
    Pump(100);
    ASSERT_EQ(form.size(), QSize(620, 600)) << "the layout keeps its 1x size";

    const QImage shot = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(1240, 1200));

    // The board picture inside the LED page's frame is the 2x drawing, pixel for pixel.
    const QRect ledFrame = kDeviceFrames[0].rect;
    const QImage board2x =
        SkinBitmapAt("MAIN_UI", LoadSkinBitmap("MAIN_UI"), 2).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(board2x.size(), shot.size());
    const QRect inside = Times(ledFrame.adjusted(2, 2, -2, -2), 2);
    EXPECT_EQ(shot.copy(inside), board2x.copy(inside));

    // The frame, 2 pixels wide at 1x, is 4 device pixels of its own colour
    // with the untouched picture on either side: no blended edge.
    const QRgb frame = WinColor(colours::Frame).rgb();
    const int row = 2 * ledFrame.center().y();
    const int left = 2 * ledFrame.left();
    for (int x = left; x < left + 4; ++x)
        EXPECT_EQ(shot.pixel(x, row), frame) << "device column " << x;
    EXPECT_EQ(shot.pixel(left - 1, row), board2x.pixel(left - 1, row));
    EXPECT_EQ(shot.pixel(left + 4, row), board2x.pixel(left + 4, row));

    // A tab's face and caption have more detail than at 1x: not the 1x
    // drawing enlarged, whose columns would merely repeat.
    const TCustomButton* tab = form.TabButtons().FindButton(PAGE_SEG7);
    const QRect face(tab->X(), tab->Y(), tab->Width(), tab->FaceHeight());
    Canvas at1x(nullptr, form.size());
    tab->DrawFace(at1x, bfNormal);
    EXPECT_GT(DistinctColumns(shot, Times(face, 2)), 3 * DistinctColumns(at1x.Image(), face) / 2);
    EXPECT_NE(shot.copy(Times(face, 2)),
              at1x.Image().copy(face).scaled(face.size() * 2).convertToFormat(QImage::Format_RGB32));
}

} // namespace
