// Every place that shows or checks a device takes its facts from the device
// table: the board picture the reports embed (and so the skin generator's
// frames, which a test keeps equal to it), the HTML report's frames per area,
// the self test's areas and, in a panel build, the main window's page table.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "core/devices/DeviceTable.h"
#include "core/jobs/BoardPicture.h"
#include "core/jobs/HtmlReport.h"
#include "core/jobs/SelfTest.h"
#ifdef KBR_PANEL_PAGE_TABLE
#include "app/PageTable.h"
#endif

namespace {

using kbr::devices::kAreas;
using kbr::devices::kDeviceTable;
using kbr::devices::TDeviceRow;

TEST(DeviceTable, SelfTestAreasAreTheTables) {
    std::vector<std::string> areas;
    for (const kbr::devices::TArea& area : kAreas) {
        areas.emplace_back(area.name);
        EXPECT_NE(area.check, nullptr) << area.name;
    }
    EXPECT_EQ(TSelfTest::Areas(), areas);
    std::set<std::string> named;
    for (const TDeviceRow& row : kDeviceTable)
        if (row.area) {
            EXPECT_TRUE(std::count(areas.begin(), areas.end(), std::string(row.area)))
                << row.name << " names an area the self test does not run: " << row.area;
            named.insert(row.area);
        }
    EXPECT_EQ(named.size(), kAreas.size()) << "an area checks no device";
}

TEST(DeviceTable, BoardPictureFramesAreTheTablesAtTwiceTheSize) {
    namespace picture = kbr::boardpicture;
    ASSERT_EQ(picture::kDeviceCount, kDeviceTable.size());
    // The picture is cut from the main window's: one offset for every device.
    const TDeviceRow& first = kDeviceTable.front();
    const int ox = first.frame.x - picture::kDevices[0].x / 2;
    const int oy = first.frame.y - picture::kDevices[0].y / 2;
    for (size_t i = 0; i < kDeviceTable.size(); ++i) {
        const TDeviceRow& row = kDeviceTable[i];
        const picture::TDevice& drawn = picture::kDevices[i];
        SCOPED_TRACE(row.name);
        EXPECT_STREQ(drawn.name, row.name);
        EXPECT_EQ(drawn.x, 2 * (row.frame.x - ox));
        EXPECT_EQ(drawn.y, 2 * (row.frame.y - oy));
        EXPECT_EQ(drawn.width, 2 * row.frame.width);
        EXPECT_EQ(drawn.height, 2 * row.frame.height);
    }
}

// A failed check that names no device of its area marks every device of that
// area, and only those, failed on the report's picture.
TEST(DeviceTable, HtmlReportFramesEachAreasDevices) {
    for (const kbr::devices::TArea& each : kAreas) {
        const char* area = each.name;
        SCOPED_TRACE(area);
        TSelfTestReport report;
        report.board = "KBR_370";
        TCheckResult check;
        check.area = area;
        check.name = "check";
        check.result = TCheckResult::Result::Failed;
        report.checks.push_back(check);
        const std::string html = HtmlReportText(report);
        for (const TDeviceRow& row : kDeviceTable) {
            const bool inArea = row.area && std::string(row.area) == area;
            const std::string failed =
                std::string("class=\"frame failed\" data-device=\"") + row.name + "\"";
            EXPECT_EQ(html.find(failed) != std::string::npos, inArea) << row.name;
            const bool shown =
                html.find(std::string("data-device=\"") + row.name + "\"") != std::string::npos;
            EXPECT_EQ(shown, row.area != nullptr) << row.name;
        }
    }
}

#ifdef KBR_PANEL_PAGE_TABLE
TEST(DeviceTable, PageTableFramesAreTheTables) {
    std::set<std::string> framed;
    for (const DeviceFrame& frame : kDeviceFrames) {
        const auto row = std::find_if(kDeviceTable.begin(), kDeviceTable.end(), [&](const auto& r) {
            return r.shape && std::string(r.shape) == frame.name;
        });
        ASSERT_NE(row, kDeviceTable.end()) << frame.name;
        EXPECT_EQ(frame.rect, QRect(row->frame.x, row->frame.y, row->frame.width, row->frame.height))
            << frame.name;
        EXPECT_EQ(frame.dotted, row->dotted) << frame.name;
        EXPECT_EQ(frame.memory, row->memory) << frame.name;
        framed.insert(frame.name);
    }
    for (const TDeviceRow& row : kDeviceTable)
        EXPECT_EQ(framed.count(row.shape ? row.shape : ""), row.shape ? 1u : 0u) << row.name;
}
#endif

} // namespace
