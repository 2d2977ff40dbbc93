#include "tools/art/Icons.h"

#include <QPainterPath>

#include <cmath>

namespace kelani::art {

namespace {

QPen Ink(const QColor& ink, double width) {
    QPen pen(ink, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

} // namespace

void DrawClockIcon(QPainter& p, const QRectF& r, const QColor& ink) {
    const double s = r.width();
    const QPointF c = r.center();
    p.setBrush(Qt::NoBrush);
    p.setPen(Ink(ink, s * 0.08));
    p.drawEllipse(c, s * 0.42, s * 0.42);
    for (int i = 0; i < 12; ++i) {
        const double a = i * 3.14159265 / 6;
        const double r0 = s * (i % 3 == 0 ? 0.28 : 0.33), r1 = s * 0.37;
        p.setPen(Ink(ink, s * (i % 3 == 0 ? 0.06 : 0.035)));
        p.drawLine(c + QPointF(std::cos(a) * r0, std::sin(a) * r0),
                   c + QPointF(std::cos(a) * r1, std::sin(a) * r1));
    }
    p.setPen(Ink(ink, s * 0.075));
    p.drawLine(c, c + QPointF(0, -s * 0.25));
    p.drawLine(c, c + QPointF(s * 0.17, s * 0.08));
    p.setBrush(ink);
    p.drawEllipse(c, s * 0.04, s * 0.04);
}

void DrawTurnIcon(QPainter& p, const QRectF& r, const QColor& ink) {
    const double s = r.width();
    QPainterPath arc;
    arc.moveTo(r.left() + s * 0.15, r.top() + s * 0.75);
    arc.cubicTo(r.left() + s * 0.1, r.top() + s * 0.2, r.left() + s * 0.55, r.top() + s * 0.1,
                r.left() + s * 0.72, r.top() + s * 0.42);
    p.setBrush(Qt::NoBrush);
    p.setPen(Ink(ink, s * 0.1));
    p.drawPath(arc);
    QPainterPath head;
    head.moveTo(r.left() + s * 0.92, r.top() + s * 0.32);
    head.lineTo(r.left() + s * 0.78, r.top() + s * 0.72);
    head.lineTo(r.left() + s * 0.5, r.top() + s * 0.45);
    head.closeSubpath();
    p.setPen(Ink(ink, s * 0.04));
    p.setBrush(ink);
    p.drawPath(head);
}

void DrawVariantIcon(QPainter& p, const QRectF& r, const QColor& ink) {
    const double w = r.width() / 3;
    for (int i = 0; i < 3; ++i) {
        const QRectF pit(r.left() + i * w + w * 0.08, r.top() + r.height() * 0.25, w * 0.84,
                         r.height() * 0.6);
        p.setPen(Ink(ink, w * 0.12));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(pit);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        for (int k = 0; k <= i; ++k)
            p.drawEllipse(QPointF(pit.center().x() + (k - i / 2.0) * w * 0.22, pit.center().y() + w * 0.04),
                          w * 0.12, w * 0.1);
    }
}

void DrawInHandIcon(QPainter& p, const QRectF& r, const QColor& ink) {
    const double s = r.width();
    const double x = r.left(), y = r.top();
    QPainterPath hand;
    hand.moveTo(x + s * 0.05, y + s * 0.55);
    hand.cubicTo(x + s * 0.1, y + s * 0.95, x + s * 0.85, y + s * 1.0, x + s * 0.95, y + s * 0.55);
    hand.lineTo(x + s * 0.8, y + s * 0.5);
    hand.cubicTo(x + s * 0.7, y + s * 0.78, x + s * 0.3, y + s * 0.8, x + s * 0.2, y + s * 0.5);
    hand.closeSubpath();
    p.setPen(Ink(ink, s * 0.05));
    p.setBrush(ink);
    p.drawPath(hand);
    p.drawEllipse(QPointF(x + s * 0.5, y + s * 0.42), s * 0.2, s * 0.15);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 110));
    p.drawEllipse(QPointF(x + s * 0.43, y + s * 0.37), s * 0.06, s * 0.04);
}

void DrawTallyIcon(QPainter& p, const QRectF& r, const QColor& ink) {
    const double s = r.width();
    p.setPen(Ink(ink, s * 0.08));
    for (int i = 0; i < 4; ++i) {
        const double x = r.left() + s * (0.18 + 0.18 * i);
        p.drawLine(QPointF(x, r.top() + s * 0.2), QPointF(x + s * 0.03, r.top() + s * 0.82));
    }
    p.drawLine(QPointF(r.left() + s * 0.05, r.top() + s * 0.7),
               QPointF(r.left() + s * 0.92, r.top() + s * 0.3));
}

QLinearGradient GoldGradient(QPointF from, QPointF to) {
    QLinearGradient gold(from, to);
    gold.setColorAt(0.0, QColor(255, 244, 184));
    gold.setColorAt(0.3, QColor(240, 196, 70));
    gold.setColorAt(0.55, QColor(176, 118, 22));
    gold.setColorAt(0.8, QColor(238, 190, 64));
    gold.setColorAt(1.0, QColor(140, 90, 16));
    return gold;
}

void DrawSparkle(QPainter& p, QPointF c, double radius, const QColor& colour) {
    QPainterPath star;
    const double k = radius * 0.22;
    star.moveTo(c + QPointF(0, -radius));
    star.quadTo(c + QPointF(k, -k), c + QPointF(radius, 0));
    star.quadTo(c + QPointF(k, k), c + QPointF(0, radius));
    star.quadTo(c + QPointF(-k, k), c + QPointF(-radius, 0));
    star.quadTo(c + QPointF(-k, -k), c + QPointF(0, -radius));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(star);
}

} // namespace kelani::art
