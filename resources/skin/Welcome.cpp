// The welcome animation: the board's chip at the centre, with pulses running
// out along its traces. The frames loop without a seam.
#include <QPainterPath>
#include <cmath>
#include <vector>

#include "resources/skin/Draw.h"
#include "resources/skin/Pictures.h"

namespace skingen {

namespace {

const QPointF kChipCentre(193.5, 112.5);
constexpr double kChipHalf = 34;

// Traces as polylines from the chip's edge outwards; fixed, so frames are
// the same at every build.
std::vector<std::vector<QPointF>> Traces() {
    std::vector<std::vector<QPointF>> traces;
    const double c = kChipCentre.x(), m = kChipCentre.y(), e = kChipHalf;
    for (int i = -2; i <= 2; ++i) {
        const double o = i * 12;
        traces.push_back({{c - e, m + o}, {c - e - 40 - std::abs(i) * 8, m + o}, {c - e - 60 - std::abs(i) * 8, m + o * 2.2}, {12, m + o * 2.2}});
        traces.push_back({{c + e, m + o}, {c + e + 40 + std::abs(i) * 8, m + o}, {c + e + 60 + std::abs(i) * 8, m + o * 2.2}, {375, m + o * 2.2}});
    }
    for (int i = -2; i <= 2; ++i) {
        const double o = i * 12;
        traces.push_back({{c + o, m - e}, {c + o, 36}, {c + o * 2.5, 14}});
        traces.push_back({{c + o, m + e}, {c + o, 170}});
    }
    return traces;
}

double Length(const std::vector<QPointF>& t) {
    double len = 0;
    for (std::size_t i = 1; i < t.size(); ++i)
        len += std::hypot(t[i].x() - t[i - 1].x(), t[i].y() - t[i - 1].y());
    return len;
}

QPointF PointAt(const std::vector<QPointF>& t, double d) {
    for (std::size_t i = 1; i < t.size(); ++i) {
        const double seg = std::hypot(t[i].x() - t[i - 1].x(), t[i].y() - t[i - 1].y());
        if (d <= seg)
            return t[i - 1] + (t[i] - t[i - 1]) * (d / seg);
        d -= seg;
    }
    return t.back();
}

} // namespace

QImage PaintWelcomeFrame(int index, int count, int w, int h) {
    QImage image = NewImage(w, h, pal::kNavyDeep);
    QPainter p(&image);
    VerticalGradient(p, QRect(0, 0, w, h), QColor(0x10, 0x17, 0x26), QColor(0x08, 0x0b, 0x13));
    p.setRenderHint(QPainter::Antialiasing);
    // A faint grid, like a board's solder mask under light.
    p.setPen(QPen(QColor(0x16, 0x20, 0x32), 1));
    for (int x = 12; x < w; x += 24)
        p.drawLine(x, 0, x, 232);
    for (int y = 8; y < 232; y += 24)
        p.drawLine(0, y, w, y);

    const auto traces = Traces();
    p.setPen(QPen(QColor(0x1e, 0x4c, 0x60), 2));
    p.setBrush(Qt::NoBrush);
    for (const auto& t : traces) {
        QPainterPath path(t.front());
        for (std::size_t i = 1; i < t.size(); ++i)
            path.lineTo(t[i]);
        p.drawPath(path);
    }
    const double phase = static_cast<double>(index) / count;
    for (std::size_t k = 0; k < traces.size(); ++k) {
        const double len = Length(traces[k]);
        const double offset = std::fmod(phase + k * 0.37, 1.0);
        for (int tail = 0; tail < 5; ++tail) {
            const double d = std::fmod(offset - tail * 0.015 + 1.0, 1.0) * len;
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x3a, 0xe0, 0xff, 220 - tail * 45));
            p.drawEllipse(PointAt(traces[k], d), 2.6 - tail * 0.35, 2.6 - tail * 0.35);
        }
    }
    for (const auto& t : traces) {
        p.setPen(QPen(QColor(0x2c, 0x6a, 0x80), 1));
        p.setBrush(QColor(0x0a, 0x0e, 0x16));
        p.drawEllipse(t.back(), 2.5, 2.5);
    }

    // The chip, breathing gently with the loop.
    const QRectF chip(kChipCentre.x() - kChipHalf, kChipCentre.y() - kChipHalf, 2 * kChipHalf, 2 * kChipHalf);
    const double glow = 0.5 + 0.5 * std::sin(2 * M_PI * phase);
    QRadialGradient halo(kChipCentre, kChipHalf * 2);
    halo.setColorAt(0, QColor(0x00, 0xb4, 0xd8, static_cast<int>(40 + 50 * glow)));
    halo.setColorAt(1, QColor(0x00, 0xb4, 0xd8, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(kChipCentre, kChipHalf * 2, kChipHalf * 2);
    LogoChip(p, chip, 20, 27, QColor(0x3c, 0x42, 0x4c), QColor(0x16, 0x18, 0x1c),
             QColor(0x60, 0x68, 0x76));

    Text(p, QRect(0, 180, w, 30), QStringLiteral("KBR-370"), 24, QColor(0xf0, 0xf4, 0xfa),
         Qt::AlignCenter, true);
    Text(p, QRect(0, 208, w, 18), QStringLiteral("CONTROL PANEL"), 11, QColor(0x7a, 0xc8, 0xe0),
         Qt::AlignCenter);
    // The lowest rows stay plain: the info line lies over them.
    return image;
}

} // namespace skingen
