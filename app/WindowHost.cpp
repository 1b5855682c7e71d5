#include "app/WindowHost.h"

#include <QLabel>
#include <QProgressBar>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "app/TestLog.h"
#include "platform/System.h"
#include "skin/Colours.h"
#include "skin/SkinFont.h"
#include "skin/StandardControls.h"
#include "skin/WinColor.h"

TWindowHost::TWindowHost(QWidget* window) {
    LabelConnectStatus =
        MakeLabel(window, {33, 530, 98, 22}, QString(),
                  {.face = "Arial", .colour = colours::StatusStart, .pixels = 13}, Qt::AlignCenter);
    CGaugeConfig = new QProgressBar(window);
    CGaugeConfig->setGeometry(32, 529, 100, 21);
    CGaugeConfig->setRange(0, 100);
    CGaugeConfig->setTextVisible(true);
    CGaugeConfig->setAlignment(Qt::AlignCenter);
    CGaugeConfig->setFont(SkinFontPixels("Arial", 11));
    CGaugeConfig->hide();
    CGaugeConfig->setStyleSheet(
        QString("QProgressBar { border: 0px; background: #10202c; color: white; }"
                "QProgressBar::chunk { background: %1; }")
            .arg(WinColor(colours::StatusStart).name()));
    LabelInfo = MakeLabel(window, {245, 562, 329, 16}, QString(), {.face = "Arial", .pixels = 11},
                          Qt::AlignLeft | Qt::AlignVCenter);
    ImageInfo = MakeLabel(window, {227, 564, 14, 14}, QString(), {.face = "Arial", .pixels = 11},
                          Qt::AlignCenter);
    ImageInfo->setPixmap(
        window->style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(14, 14));
    ImageInfo->hide();
    TimerProgress = new QTimer(window);
    QObject::connect(TimerProgress, &QTimer::timeout, window, [this] { TimerProgressTimer(); });
    // Readable over the welcome animation and the pages.
    for (QWidget* w : std::initializer_list<QWidget*>{LabelConnectStatus, CGaugeConfig, LabelInfo,
                                                      ImageInfo})
        w->raise();
}

void TWindowHost::Info(const std::string& text, Tone tone) {
    InfoLine(text, Colour(tone));
}

void TWindowHost::InfoLine(const std::string& text, uint32_t colour) {
    if (log)
        log->Write("info", text, colour);
    ImageInfo->setVisible(!text.empty());
    LabelInfo->show();
    LabelInfo->setFont(SkinFontPixels("Arial", 11));
    SetLabelColour(LabelInfo, colour);
    LabelInfo->setText(QString::fromStdString(text));
    LabelInfo->repaint();
}

void TWindowHost::Status(const std::string& text, Tone tone) {
    const uint32_t colour = Colour(tone);
    if (log)
        log->Write("status", text, colour);
    SetLabelColour(LabelConnectStatus, colour);
    LabelConnectStatus->setText(QString::fromStdString(text));
    // The connect sequence blocks the event loop; show each stage as it comes.
    LabelConnectStatus->repaint();
}

void TWindowHost::Progress(int fromPercent, int toPercent, uint32_t expectedMs) {
    progressDuration = std::max<uint32_t>(static_cast<uint32_t>(expectedMs * TimeScale), 1);
    progressFrom = fromPercent;
    progressTo = toPercent;
    progressStart = platform::GetTickCount();
    Info("", Tone::Progress);
    CGaugeConfig->setValue(0);
    CGaugeConfig->show();
    TimerProgress->stop();
    TimerProgress->setInterval(static_cast<int>(progressDuration / 100));
    TimerProgress->start();
}

void TWindowHost::TimerProgressTimer() {
    TimerProgress->stop();
    const uint32_t elapsed = platform::GetTickCount() - progressStart;
    // 64 bits: a long wait times the percent span would overflow 32.
    const int64_t value = progressFrom + static_cast<int64_t>(elapsed) *
                                             (progressTo - progressFrom) /
                                             static_cast<int64_t>(progressDuration);
    CGaugeConfig->setValue(static_cast<int>(std::min<int64_t>(value, progressTo)));
    TimerProgress->start();
}

void TWindowHost::ProgressHold() {
    TimerProgress->stop();
}

void TWindowHost::ProgressEnd() {
    TimerProgress->stop();
    CGaugeConfig->hide();
}
