#include "tools/art/Hands.h"

#include "tools/art/ArtKit.h"
#include "tools/art/BoardGeometry.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cmath>
#include <cstdio>

namespace kelani::art {

namespace {

constexpr int kSuper = 2;
const QColor kSkin(238, 192, 156);
const QColor kSkinShade(192, 132, 98);
const QColor kSkinLine(128, 78, 56);
const QColor kNail(250, 222, 214);

QColor SleeveColour(int player) {
    return player == 1 ? QColor(52, 128, 58) : QColor(176, 150, 36);
}

QPen Line(const QColor& c, double w) {
    QPen pen(c, w);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// Shading across a limb: dark edges, light just left of the middle, as if lit from the upper left.
QLinearGradient Across(QPointF a, QPointF b, const QColor& base, const QColor& shade) {
    QLinearGradient g(a, b);
    g.setColorAt(0, shade);
    g.setColorAt(0.35, base.lighter(106));
    g.setColorAt(0.6, base);
    g.setColorAt(1, shade.darker(110));
    return g;
}

// A limb between two points with rounded ends: widths at start and end.
QPainterPath Capsule(QPointF a, QPointF b, double wa, double wb) {
    const QPointF d = b - a;
    const double len = std::hypot(d.x(), d.y());
    const QPointF n(-d.y() / len, d.x() / len);
    QPainterPath body;
    body.moveTo(a + n * wa / 2);
    body.lineTo(b + n * wb / 2);
    body.lineTo(b - n * wb / 2);
    body.lineTo(a - n * wa / 2);
    body.closeSubpath();
    QPainterPath ends;
    ends.addEllipse(a, wa / 2, wa / 2);
    ends.addEllipse(b, wb / 2, wb / 2);
    return body.united(ends);
}

void DrawLimb(QPainter& p, QPointF a, QPointF b, double wa, double wb) {
    const QPointF d = b - a;
    const double len = std::hypot(d.x(), d.y());
    const QPointF n(-d.y() / len * wa / 2, d.x() / len * wa / 2);
    const QPainterPath limb = Capsule(a, b, wa, wb);
    // A soft shadow on whatever lies below, then the limb with a warmer, redder tip.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 44, 24, 60));
    p.drawPath(limb.translated(1.5, 2.2));
    p.setPen(Line(kSkinLine, 1.3));
    p.setBrush(Across(a + n, a - n, kSkin, kSkinShade));
    p.drawPath(limb);
    QRadialGradient blush(b, wb * 0.9);
    blush.setColorAt(0, QColor(236, 130, 120, 60));
    blush.setColorAt(1, QColor(236, 130, 120, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(blush);
    p.drawPath(limb);
}

// The forearm in its sleeve, from the wrist up and out of the picture.
void DrawArm(QPainter& p, int player, double thumbSide) {
    DrawLimb(p, QPointF(0, -88), QPointF(0, -150), 46, 52);
    const QColor cloth = SleeveColour(player);
    QPainterPath sleeve;
    sleeve.moveTo(-33, -140);
    sleeve.cubicTo(-20, -132, 20, -132, 33, -140);
    sleeve.lineTo(44, -900);
    sleeve.lineTo(-44, -900);
    sleeve.closeSubpath();
    p.setPen(Line(cloth.darker(180), 1.4));
    p.setBrush(Across(QPointF(-40, 0), QPointF(40, 0), cloth, cloth.darker(150)));
    p.drawPath(sleeve);
    // Folds of the cloth and a turned-back cuff.
    p.setPen(Line(cloth.darker(135), 1.6));
    for (int i = 0; i < 3; ++i) {
        const double y = -190 - 55 * i;
        p.drawLine(QPointF(-28 * thumbSide, y), QPointF(6 * thumbSide, y - 22));
    }
    p.setPen(Line(cloth.darker(170), 1.2));
    p.setBrush(cloth.lighter(112));
    QPainterPath cuff;
    cuff.moveTo(-34, -140);
    cuff.cubicTo(-20, -132, 20, -132, 34, -140);
    cuff.lineTo(35, -160);
    cuff.cubicTo(20, -152, -20, -152, -35, -160);
    cuff.closeSubpath();
    p.drawPath(cuff);
}

// The back of the hand from the wrist to the knuckles.
void DrawPalm(QPainter& p, double openness) {
    const double knuckle = -44 + 6 * (1 - openness);
    // The outline stays open at the wrist, where the back of the hand runs into the forearm.
    QPainterPath outline;
    outline.moveTo(-24, -96);
    outline.cubicTo(-31, -72, -33, knuckle - 4, -29, knuckle + 6);
    outline.cubicTo(-14, knuckle + 12, 14, knuckle + 12, 30, knuckle + 6);
    outline.cubicTo(34, knuckle - 4, 30, -72, 24, -96);
    QPainterPath palm = outline;
    palm.lineTo(24, -104);
    palm.lineTo(-24, -104);
    palm.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 44, 24, 60));
    QPainterPath shadow = outline;
    shadow.closeSubpath();
    p.drawPath(shadow.translated(1.5, 2.5));
    // Shaded across like the forearm it grows from, with a soft light on the back of the hand.
    p.setBrush(Across(QPointF(-26, 0), QPointF(26, 0), kSkin, kSkinShade));
    p.drawPath(palm);
    QRadialGradient light(QPointF(-6, -60), 30);
    light.setColorAt(0, QColor(255, 236, 216, 80));
    light.setColorAt(1, QColor(255, 236, 216, 0));
    p.setBrush(light);
    p.drawPath(palm);
    p.setPen(Line(kSkinLine, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
    // Tendons toward the knuckles.
    p.setPen(Line(QColor(206, 150, 116, 110), 1.1));
    for (double x : {-20.0, -7.0, 6.0, 19.0})
        p.drawLine(QPointF(x * 0.5, -80), QPointF(x * 0.9, knuckle + 2));
    // Knuckles catch the light.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 232, 210, 45));
    for (double x : {-20.0, -7.0, 6.0, 19.0}) p.drawEllipse(QPointF(x, knuckle + 4), 4.5, 3);
}

struct TFinger {
    double x, length, width, spread;
};

// Index finger first, from the thumb's side outwards.
constexpr std::array<TFinger, 4> kFingers{
    {{19, 44, 14, 0.16}, {5, 48, 14.5, 0.04}, {-9, 45, 14, -0.08}, {-22, 36, 12.5, -0.24}}};

void DrawFinger(QPainter& p, const TFinger& f, double openness, double thumbSide) {
    const double knuckle = -44 + 6 * (1 - openness);
    const QPointF base(f.x * thumbSide, knuckle);
    const double spread = f.spread * -thumbSide * openness;
    // Curling under the palm shortens what is seen of the finger and hides its nail.
    const double seen = f.length * (0.22 + 0.78 * openness);
    const QPointF dir(-std::sin(spread), std::cos(spread));
    const QPointF tip = base + dir * seen;
    // Curled fingers seen end on look broader.
    const double width = f.width * (1 + 0.15 * (1 - openness));
    DrawLimb(p, base, tip, width, width * 0.86);
    const QPointF n(-dir.y(), dir.x());
    if (seen > 30) {
        // A faint wrinkle over the middle joint.
        p.setPen(Line(QColor(196, 136, 104), 0.9));
        const QPointF c = base + dir * (seen * 0.5);
        p.drawLine(c + n * f.width * 0.22, c - n * f.width * 0.12);
    }
    if (openness > 0.45) {
        const QPointF nc = tip - dir * (f.width * 0.42);
        p.save();
        p.translate(nc);
        p.rotate(std::atan2(dir.y(), dir.x()) * 180 / 3.14159265);
        QLinearGradient g(QPointF(0, -f.width * 0.3), QPointF(0, f.width * 0.3));
        g.setColorAt(0, kNail.lighter(104));
        g.setColorAt(1, QColor(222, 170, 160));
        p.setPen(Line(QColor(176, 120, 104), 0.9));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(-f.width * 0.32, -f.width * 0.3, f.width * 0.62, f.width * 0.6), 3, 3);
        p.restore();
    }
}

void DrawThumb(QPainter& p, double openness, double thumbSide) {
    const QPointF base(24 * thumbSide, -76);
    const double angle = (0.3 + 0.45 * (1 - openness)) * thumbSide;
    const QPointF dir(std::sin(angle) * -1, std::cos(angle));
    const double len = 30 + 8 * openness;
    const QPointF mid = base + QPointF(9 * thumbSide, 14);
    const QPointF tip = mid + dir * len;
    DrawLimb(p, base, mid, 20, 17);
    DrawLimb(p, mid, tip, 16, 13.5);
    if (openness > 0.3) {
        p.setPen(Line(QColor(176, 120, 104), 0.9));
        p.setBrush(kNail);
        p.drawEllipse(tip - dir * 5, 4.2, 4.2);
    }
}

} // namespace

void DrawHandLocal(QPainter& p, double openness, int player, double thumbSide) {
    // A closing hand pushes into the pit and toward its little finger, where the board draws the
    // stones it holds; the fingertips' point stays covered.
    p.translate(-12 * thumbSide * (1 - openness), 46 * (1 - openness));
    DrawArm(p, player, thumbSide);
    // Outer fingers first so the longer middle ones overlap them; the back of the hand covers
    // their roots, the thumb lies beside it.
    for (int i : {3, 0, 2, 1}) DrawFinger(p, kFingers[i], openness, thumbSide);
    DrawThumb(p, openness, thumbSide);
    DrawPalm(p, openness);
}

namespace {

struct THandKind {
    int player;
    bool pick;
    QSize size;
    double rotation; // degrees; 0 = fingers pointing down
};

double Openness(bool pick, int frame) {
    if (!pick) return frame / 4.0 * 0.9 + 0.08;
    switch (frame) {
    case 0:
        return 0.75;
    case 1:
        return 0.95;
    case 3:
        return 1.0;
    case 5:
        return 0.62;
    case 7:
        return 0.34;
    case 9:
        return 0.14;
    default:
        return 0.0;
    }
}

THandFrame PaintFrame(const THandKind& kind, int frame, int scale) {
    const QPoint hot = kind.pick ? kPickHotSpot[kind.player] : kSowHotSpot[kind.player];
    const QSize size = kind.size * scale;
    QImage big(size * kSuper, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(kSuper * scale, kSuper * scale);
        p.translate(hot.x() + 0.5, hot.y() + 0.5);
        p.rotate(kind.rotation);
        DrawHandLocal(p, Openness(kind.pick, frame), kind.player, kind.pick ? -1.0 : 1.0);
    }
    const QImage soft = Downsample(big, kSuper);
    THandFrame f;
    f.picture = QImage(size, QImage::Format_RGB32);
    f.mask = QImage(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const QRgb px = soft.pixel(x, y);
            const double a = qAlpha(px) / 255.0;
            const bool on = a >= 0.5;
            // Edge pixels are blended toward the outline colour instead of the board.
            const QRgb c = qRgb(Clamp255(qRed(px) + kSkinLine.red() * 0.6 * (1 - a)),
                                Clamp255(qGreen(px) + kSkinLine.green() * 0.6 * (1 - a)),
                                Clamp255(qBlue(px) + kSkinLine.blue() * 0.6 * (1 - a)));
            f.picture.setPixel(x, y, on ? c : qRgb(0, 0, 0));
            f.mask.setPixel(x, y, on ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    char name[32];
    const char* prefix = kind.player == 1 ? "t" : "";
    std::snprintf(name, sizeof name, "%sp%c-hand%4.4d.bmp", prefix, kind.pick ? 'l' : 'r', frame);
    f.pictureName = name;
    std::snprintf(name, sizeof name, "%sm%c-hand%4.4d.bmp", prefix, kind.pick ? 'l' : 'r', frame);
    f.maskName = name;
    return f;
}

} // namespace

std::vector<THandFrame> PaintAllHandFrames(int scale) {
    // Arms converge from each player's side: player 1's from the top, player 2's from the bottom.
    const THandKind kinds[] = {{1, true, {400, 400}, 18},
                               {1, false, {520, 440}, -25},
                               {2, true, {490, 420}, 198},
                               {2, false, {400, 440}, 155}};
    std::vector<THandFrame> frames;
    for (const THandKind& k : kinds)
        for (int f : k.pick ? std::vector<int>{0, 1, 3, 5, 7, 9, 11} : std::vector<int>{0, 2, 4})
            frames.push_back(PaintFrame(k, f, scale));
    return frames;
}

void PaintHand(QImage& target, QPointF tip, const THandPose& pose) {
    QPainter p(&target);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(tip);
    p.rotate(pose.angle * 180 / 3.14159265);
    p.scale(pose.scale * (pose.mirrored ? -1 : 1), pose.scale);
    DrawHandLocal(p, pose.openness, pose.sleeve, -1.0);
}

} // namespace kelani::art
