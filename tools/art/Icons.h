#pragma once
// Small vector symbols printed on the board's plates and used in the dialog pictures.
#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QRectF>

namespace kelani::art {

void DrawClockIcon(QPainter& p, const QRectF& r, const QColor& ink);
// An arrow bending toward the player to move.
void DrawTurnIcon(QPainter& p, const QRectF& r, const QColor& ink);
// Three pits with a few stones: the rule set.
void DrawVariantIcon(QPainter& p, const QRectF& r, const QColor& ink);
// A cupped hand carrying a stone.
void DrawInHandIcon(QPainter& p, const QRectF& r, const QColor& ink);
// Tally marks: the move counters.
void DrawTallyIcon(QPainter& p, const QRectF& r, const QColor& ink);
// Polished gold running from `from` to `to`: bright, deep, bright again, dark at the end.
QLinearGradient GoldGradient(QPointF from, QPointF to);
// A four-pointed glint.
void DrawSparkle(QPainter& p, QPointF centre, double radius, const QColor& colour);

} // namespace kelani::art
