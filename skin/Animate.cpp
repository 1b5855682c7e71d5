#include "skin/Animate.h"

#include <QPainter>

#include "skin/Canvas.h"
#include "skin/SkinResources.h"

namespace {

constexpr int kFrameMs = 80;

QString FrameName(const QString& resourceName, int index) {
    return QStringLiteral("%1_%2").arg(resourceName).arg(index, 2, 10, QLatin1Char('0'));
}

} // namespace

TAnimate::TAnimate(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&timer, &QTimer::timeout, this, [this] {
        if (frames.empty())
            return;
        current = (current + 1) % FrameCount();
        update();
    });
}

bool TAnimate::Open(const QString& resourceName) {
    SetActive(false);
    frames.clear();
    current = 0;
    resource = resourceName;
    // The frames are numbered resources NAME_00, NAME_01, ... without gaps.
    for (int i = 0; SkinBitmapExists(FrameName(resourceName, i)); ++i)
        frames.push_back(LoadSkinBitmap(FrameName(resourceName, i)));
    if (!frames.empty())
        resize(frames.front().size());
    update();
    return !frames.empty();
}

void TAnimate::SetActive(bool play) {
    if (play && FrameCount() > 1)
        timer.start(kFrameMs);
    else
        timer.stop();
}

void TAnimate::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (frames.empty()) {
        p.fillRect(rect(), Qt::black);
        return;
    }
    const QImage& frame = frames[current];
    // A finer screen shows the 2x drawing of the frame.
    const qreal dpr = devicePixelRatioF();
    const QImage shown = SkinBitmapAt(FrameName(resource, current), frame, dpr);
    p.setRenderHint(QPainter::SmoothPixmapTransform,
                    Canvas::ScalesSmoothly(shown.devicePixelRatio(), dpr));
    p.drawImage(0, 0, shown);
    // Whatever the frame does not cover stays dark rather than undefined.
    if (width() > frame.width())
        p.fillRect(frame.width(), 0, width() - frame.width(), height(), Qt::black);
    if (height() > frame.height())
        p.fillRect(0, frame.height(), frame.width(), height() - frame.height(), Qt::black);
}
