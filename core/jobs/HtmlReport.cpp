#include "core/jobs/HtmlReport.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <vector>

#include "core/devices/DeviceTable.h"
#include "core/jobs/BoardPicture.h"
#include "core/jobs/ReportParts.h"

using namespace kbr::report;

namespace {

// The devices on the board picture that each area's checks are about.
struct TAreaDevices {
    const char* area;
    std::vector<const char*> devices;
};
const std::vector<TAreaDevices>& AreasOnPicture() {
    static const std::vector<TAreaDevices> areas = [] {
        std::vector<TAreaDevices> all;
        for (const kbr::devices::TArea& area : kbr::devices::kAreas)
            all.push_back({area.name, kbr::devices::AreaDevices(area.name)});
        return all;
    }();
    return areas;
}

// A device's frame: the worst of its checks, where any check passed counts
// over skipped ones; grey when none ran.
enum class TFrame { NotRun, Passed, Failed };

const char* FrameClass(TFrame frame) {
    switch (frame) {
    case TFrame::Passed:
        return "passed";
    case TFrame::Failed:
        return "failed";
    case TFrame::NotRun:
        break;
    }
    return "notrun";
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i)
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) !=
                                    std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

// Where an area has several devices, a check is about those its name starts
// with ("SRAM march", "keys"); one that names none is about all of them.
std::map<std::string, TFrame> DeviceFrames(const TSelfTestReport& report) {
    std::map<std::string, TFrame> frames;
    for (const TAreaDevices& area : AreasOnPicture()) {
        for (const char* device : area.devices)
            frames[device] = TFrame::NotRun;
        for (const TCheckResult& check : report.checks) {
            if (check.area != area.area || check.result == TCheckResult::Result::Skipped)
                continue;
            std::vector<const char*> about;
            for (const char* device : area.devices)
                if (StartsWithNoCase(check.name, device))
                    about.push_back(device);
            if (about.empty())
                about = area.devices;
            const TFrame frame =
                check.result == TCheckResult::Result::Failed ? TFrame::Failed : TFrame::Passed;
            for (const char* device : about)
                frames[device] = std::max(frames[device], frame);
        }
    }
    return frames;
}

const char kStyle[] = R"(<style>
body { font-family: "Liberation Sans", Arial, sans-serif; margin: 24px; color: #1c2230; background: #f5f6f8; }
h1 { margin: 0 0 8px; font-size: 24px; }
h2 { margin: 24px 0 6px; font-size: 18px; }
table { border-collapse: collapse; background: #fff; }
th, td { border: 1px solid #cfd4dc; padding: 4px 8px; text-align: left; vertical-align: top; }
th { background: #e6e9ef; }
pre { margin: 0; font: 12px "Liberation Mono", monospace; white-space: pre-wrap; }
.verdict { display: inline-block; padding: 2px 10px; border-radius: 4px; color: #fff; font-weight: bold; }
.verdict.passed { background: #1e8e3e; } .verdict.failed { background: #c5221f; } .verdict.incomplete { background: #b06000; }
td.passed { color: #1e8e3e; font-weight: bold; } td.failed { color: #c5221f; font-weight: bold; } td.skipped { color: #6b7280; }
.stop { color: #b06000; font-weight: bold; }
.unrestored { color: #c5221f; font-weight: bold; }
.picture { display: flex; gap: 16px; align-items: flex-start; margin: 16px 0; }
.board { position: relative; flex: none; }
.board img { display: block; }
.frame { position: absolute; box-sizing: border-box; border: 4px solid; border-radius: 3px; }
.frame.passed, .key.passed { border-color: #22d35a; } .frame.failed, .key.failed { border-color: #ff3b30; }
.frame.notrun, .key.notrun { border-color: #a0a6b0; }
.key { display: inline-block; width: 14px; height: 10px; border: 3px solid; margin-right: 6px; vertical-align: middle; }
.legend div { margin: 4px 0; }
</style>
)";

std::string Cell(std::string_view text, const char* cls = nullptr) {
    return std::string(cls ? "<td class=\"" + std::string(cls) + "\">" : "<td>") +
           MarkupText(text) + "</td>";
}

std::string Options(const TSelfTestReport& report) {
    std::string text = report.full ? "full" : "quick";
    if (report.destructive)
        text += ", destructive";
    if (report.interactive)
        text += ", interactive";
    return text;
}

std::string Summary(const TSelfTestReport& report) {
    const TCounts counts = Count(report);
    const char* verdict = Verdict(report);
    std::string out = "<p><span class=\"verdict " + std::string(verdict) + "\">" + verdict +
                      "</span> " + std::to_string(counts.Total()) +
                      " checks: " + std::to_string(counts.passed) + " passed, " +
                      std::to_string(counts.failed) + " failed, " + std::to_string(counts.skipped) +
                      " skipped</p>\n";
    if (!report.completed)
        out += "<p class=\"stop\">The run ended early: " + MarkupText(report.stopReason) + "</p>\n";
    if (!report.unrestored.empty()) {
        out += "<ul class=\"unrestored\">\n";
        for (const std::string& line : UnrestoredLines(report.unrestored))
            out += "<li>" + MarkupText(line) + "</li>\n";
        out += "</ul>\n";
    }
    const std::pair<const char*, std::string> facts[] = {
        {"Board", report.board.empty() ? "not reached" : report.board},
        {"Link", report.link},
        {"Started (UTC)", report.startedUtc},
        {"Duration", Seconds(report.durationMs) + " s"},
        {"Options", Options(report)},
        {"kbr370", report.toolVersion},
    };
    out += "<table class=\"facts\">\n";
    for (const auto& [name, value] : facts)
        out += "<tr><th>" + std::string(name) + "</th>" + Cell(value) + "</tr>\n";
    return out + "</table>\n";
}

std::string Picture(const TSelfTestReport& report) {
    namespace picture = kbr::boardpicture;
    const std::map<std::string, TFrame> frames = DeviceFrames(report);
    std::string out =
        "<div class=\"picture\">\n<div class=\"board\">\n<img alt=\"The board\" width=\"" +
        std::to_string(picture::kWidth) + "\" height=\"" + std::to_string(picture::kHeight) +
        "\" src=\"data:image/png;base64," + picture::kPngBase64 + "\">\n";
    for (size_t i = 0; i < picture::kDeviceCount; ++i) {
        const picture::TDevice& device = picture::kDevices[i];
        const auto frame = frames.find(device.name);
        if (frame == frames.end())
            continue; // no check is about it
        const char* cls = FrameClass(frame->second);
        out += "<div class=\"frame " + std::string(cls) + "\" data-device=\"" + device.name +
               "\" title=\"" + device.name + ": " + cls +
               "\" style=\"left: " + std::to_string(device.x) +
               "px; top: " + std::to_string(device.y) +
               "px; width: " + std::to_string(device.width) +
               "px; height: " + std::to_string(device.height) + "px\"></div>\n";
    }
    return out + "</div>\n<div class=\"legend\">\n"
                 "<div><span class=\"key passed\"></span>passed</div>\n"
                 "<div><span class=\"key failed\"></span>failed</div>\n"
                 "<div><span class=\"key notrun\"></span>skipped or not run</div>\n"
                 "</div>\n</div>\n";
}

// The check's details, then one line per fault found.
std::string DetailsCell(const TCheckResult& check) {
    std::string text = DetailLines(check.details);
    for (const TCheckResult::TDetails& failure : check.failures) {
        std::string line = "fault:";
        for (const auto& [name, value] : failure)
            line += " " + name + " " + value + ",";
        line.back() = '\n';
        text += line;
    }
    if (!text.empty())
        text.pop_back();
    return "<td><pre>" + MarkupText(text) + "</pre></td>";
}

std::string AreaTable(const TArea& area) {
    std::string out = "<h2>" + MarkupText(area.first) +
                      "</h2>\n<table class=\"checks\">\n<tr><th>Check</th><th>Result</th>"
                      "<th>Time (s)</th><th>Message</th><th>Details</th></tr>\n";
    for (const TCheckResult* check : area.second) {
        const char* result = ResultName(check->result);
        out += "<tr>" + Cell(check->name) + Cell(result, result) +
               Cell(Seconds(check->durationMs)) + Cell(check->message) + DetailsCell(*check) +
               "</tr>\n";
    }
    return out + "</table>\n";
}

} // namespace

std::string HtmlReportText(const TSelfTestReport& report) {
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                      "<title>KBR-370 self test: " +
                      MarkupText(report.board.empty() ? "no board" : report.board) + ", " +
                      Verdict(report) + "</title>\n" + kStyle +
                      "</head>\n<body>\n"
                      "<h1>KBR-370 self test</h1>\n" +
                      Summary(report) + Picture(report);
    for (const TArea& area : ByArea(report))
        out += AreaTable(area);
    return out + "</body>\n</html>\n";
}
