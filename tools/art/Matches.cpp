#include "tools/art/Matches.h"

#include "tools/art/ArtKit.h"
#include "tools/art/Hands.h"
#include "tools/art/Surface.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace kelani::art {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kWidth = 400, kHeight = 300;

// The table with a soft pool of light in the middle and a corner of the board lying at the lower
// left (the board picture at the same scale); the top stays dark for the message.
QImage Backdrop(const QImage& board, int scale) {
    QImage img(kWidth * scale, kHeight * scale, QImage::Format_ARGB32_Premultiplied);
    const TWood table{QColor(84, 46, 28), QColor(44, 22, 12), 0.05, 41};
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const double px = PointOf(x, scale), py = PointOf(y, scale);
            const double dx = (px - 200) / 260.0, dy = (py - 190) / 200.0;
            const double light =
                std::clamp(1.15 - 0.9 * (dx * dx + dy * dy), 0.35, 1.1) * (py < 50 ? 0.55 + 0.009 * py : 1);
            img.setPixel(x, y, Scale(WoodColour(table, px * 1.4, py * 1.4), light));
        }
    QPainter p(&img);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    p.translate(-40, 176);
    p.rotate(-8);
    p.fillRect(QRectF(8, 12, 260, 150), QColor(0, 0, 0, 90));
    p.drawImage(QRectF(0, 0, 260, 150), board, QRectF(18 * scale, 108 * scale, 340 * scale, 196 * scale));
    return img;
}

// One matchstick from its foot to its red head; broken sticks end in splinters.
void DrawMatch(QPainter& p, QPointF foot, QPointF head, bool broken) {
    const QPointF d = head - foot;
    const double len = std::hypot(d.x(), d.y());
    p.save();
    p.translate(foot);
    p.rotate(std::atan2(d.y(), d.x()) * 180 / kPi);
    QLinearGradient wood(0, -4, 0, 4);
    wood.setColorAt(0, QColor(250, 226, 170));
    wood.setColorAt(0.5, QColor(226, 190, 126));
    wood.setColorAt(1, QColor(170, 128, 70));
    QPainterPath stick;
    if (broken) {
        stick.moveTo(0, -3.5);
        stick.lineTo(-6, -1.5);
        stick.lineTo(-2, 0);
        stick.lineTo(-8, 2);
        stick.lineTo(0, 3.5);
    } else {
        stick.moveTo(0, -3.5);
        stick.lineTo(0, 3.5);
    }
    stick.lineTo(len, 3.5);
    stick.lineTo(len, -3.5);
    stick.closeSubpath();
    p.setPen(QPen(QColor(120, 84, 40), 0.8));
    p.setBrush(wood);
    p.drawPath(stick);
    QRadialGradient tip(QPointF(len + 2, -2.5), 9);
    tip.setColorAt(0, QColor(240, 110, 90));
    tip.setColorAt(0.45, QColor(190, 30, 22));
    tip.setColorAt(1, QColor(100, 10, 8));
    p.setPen(QPen(QColor(80, 8, 6), 0.8));
    p.setBrush(tip);
    p.drawEllipse(QPointF(len + 3, 0), 8, 5.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 230, 220, 170));
    p.drawEllipse(QPointF(len + 1, -2.4), 2.6, 1.3);
    p.restore();
}

// A soft shadow under whatever is painted into `layer`, then the layer itself.
void DrawWithShadow(QImage& target, const QImage& layer, QPointF offset, float strength, int scale) {
    offset *= scale;
    TField shadow = AlphaOf(layer);
    Blur(shadow, 10 * scale);
    for (int y = 0; y < target.height(); ++y)
        for (int x = 0; x < target.width(); ++x) {
            const float s = shadow.Sample(x - offset.x(), y - offset.y());
            if (s > 0.003f) target.setPixel(x, y, Scale(target.pixel(x, y), 1 - strength * s));
        }
    QPainter(&target).drawImage(0, 0, layer);
}

QImage Layer(int scale) {
    QImage img(kWidth * scale, kHeight * scale, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

// The fist from below holding the remaining stick(s); only the heads show above it.
// A hand in points on a layer at `scale` pixels per point.
void PaintHandAt(QImage& layer, QPointF tip, THandPose pose, int scale) {
    pose.scale *= scale;
    PaintHand(layer, tip * scale, pose);
}

void PaintFist(QImage& layer, QPointF at, int sticks, int scale) {
    QPainter p(&layer);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    for (int i = 0; i < sticks; ++i) {
        const double dx = (i - (sticks - 1) / 2.0) * 10;
        DrawMatch(p, at + QPointF(dx, 40), at + QPointF(dx * 1.3, -28), false);
    }
    p.end();
    PaintHandAt(layer, at + QPointF(0, 22), THandPose{0, kPi + 0.15, 1.45, false, 2}, scale);
}

} // namespace

QImage PaintDrawnMatch(const QImage& board, bool longOne, int scale) {
    QImage img = Backdrop(board, scale);
    QImage layer = Layer(scale);
    PaintFist(layer, QPointF(150, 190), 1, scale);
    {
        // The drawn stick, pinched by the other hand's fingertips that cover its foot.
        const QPointF fingers(262, 196);
        const double length = longOne ? 150 : 58;
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        DrawMatch(p, fingers + QPointF(12, 8), fingers + QPointF(12 - length * 0.16, 8 - length), !longOne);
        p.end();
        PaintHandAt(layer, fingers, THandPose{0.3, 1.95, 1.35, false, 1}, scale);
    }
    DrawWithShadow(img, layer, QPointF(8, 10), 0.55f, scale);
    return img.convertToFormat(QImage::Format_RGB32);
}

QImage PaintHiddenMatches(const QImage& board, int scale) {
    QImage img = Backdrop(board, scale);
    QImage layer = Layer(scale);
    PaintFist(layer, QPointF(170, 180), 2, scale);
    PaintHandAt(layer, QPointF(232, 132), THandPose{0.7, 2.0, 1.25, false, 1}, scale);
    DrawWithShadow(img, layer, QPointF(8, 10), 0.55f, scale);
    return img.convertToFormat(QImage::Format_RGB32);
}

} // namespace kelani::art
