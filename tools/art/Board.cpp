#include "tools/art/Board.h"

#include "tools/art/BoardGeometry.h"
#include "tools/art/Icons.h"
#include "tools/art/Stones.h"
#include "tools/art/Surface.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace kelani::art {

namespace {

const TWood kTable{QColor(80, 42, 25), QColor(46, 23, 13), 0.05, 11};
const TWood kBoardWood{QColor(214, 152, 88), QColor(150, 90, 44), 0.06, 23};
const QColor kIvory(240, 231, 208);
const QColor kBrass(196, 156, 78);

// Top face of the board: a trapezoid in perspective, the far edge shorter.
const QPolygonF kBoardTop({QPointF(46, 114), QPointF(674, 114), QPointF(702, 330), QPointF(18, 330)});
constexpr double kFrontDepth = 22;

// The plates of the top row and the notes plate (outer edges of their brass frames).
const QRectF kPlates[] = {
    {22, 14, 132, 56}, {174, 14, 122, 56}, {308, 14, 120, 56}, {436, 14, 122, 56}, {586, 12, 112, 60}};
const QRectF kNotesPlate(436, 404, 266, 96);

double SmoothStep(double e0, double e1, double x) {
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

QPainterPath RoundedPolygon(const QPolygonF& poly, double radius) {
    // Inset every corner toward the centre, then grow back with round joins.
    const QPointF centre = poly.boundingRect().center();
    QPolygonF inset;
    for (const QPointF& p : poly) {
        const QPointF d = centre - p;
        inset << p + QPointF(d.x() > 0 ? radius : -radius, d.y() > 0 ? radius : -radius);
    }
    inset << inset.first();
    QPainterPath path;
    path.addPolygon(inset);
    QPainterPathStroker stroker;
    stroker.setWidth(2 * radius);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path).united(path).simplified();
}

QPainterPath Rounded(const QRectF& r, double radius) {
    QPainterPath p;
    p.addRoundedRect(r, radius, radius);
    return p;
}

// Depth below the surface of a carved bowl at (x, y), all in pixels; the floor lies below the opening's
// centre because the board is seen from the front.
double BowlDepth(QPointF c, double rx, double ry, double depth, double x, double y) {
    const double floorY = c.y() + 0.28 * ry;
    const double u = (x - c.x()) / rx;
    const double v = y < floorY ? (y - floorY) / (1.28 * ry) : (y - floorY) / (0.72 * ry);
    const double r2 = u * u + v * v;
    return r2 >= 1 ? 0 : depth * std::pow(1 - r2, 0.55);
}

// The bowl's centre, half axes and depth are given in points.
void CarveBowl(TField& depthField, int scale, QPointF c, double rx, double ry, double depth) {
    c *= scale;
    rx *= scale;
    ry *= scale;
    depth *= scale;
    const int x0 = std::max(0, int(c.x() - rx - 2)), x1 = std::min(depthField.w, int(c.x() + rx + 3));
    const int y0 = std::max(0, int(c.y() - ry - 2)), y1 = std::min(depthField.h, int(c.y() + ry + 3));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            // Four samples per pixel keep the carved edge smooth.
            double d = 0;
            for (int s = 0; s < 4; ++s)
                d += BowlDepth(c, rx, ry, depth, x + 0.25 + 0.5 * (s % 2), y + 0.25 + 0.5 * (s / 2));
            depthField.at(x, y) = std::max(depthField.at(x, y), float(d / 4));
        }
}

// Sinks the carved bowls (depths in pixels) into the surface and darkens their oiled wood with
// depth; maxDepth in points.
void ApplyBowls(TSurface& s, TField& depthField, double maxDepth) {
    Blur(depthField, 2 * s.scale);
    maxDepth *= s.scale;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) {
            const float d = depthField.at(x, y);
            if (d <= 0.01f) continue;
            s.height.at(x, y) -= d;
            s.Albedo(x, y) = Scale(s.Albedo(x, y), 1 - 0.22 * d / maxDepth);
            s.sheen.at(x, y) *= 0.5f;
        }
}

void PaintTable(TSurface& s) {
    TField all(s.Width(), s.Height(), 1.f);
    s.Paint(all, [](double x, double y) { return TableColour(x, y); });
}

void PaintBoardTop(TSurface& s) {
    const QPainterPath top = RoundedPolygon(kBoardTop, 16);
    const TField mask = s.Mask(top);
    // The board's drop shadow on the table, then its body.
    TField shadow = s.Mask(top.translated(10, kFrontDepth + 10).united(top.translated(4, 8)));
    Blur(shadow, 16 * s.scale);
    for (std::size_t i = 0; i < shadow.v.size(); ++i) s.ambient.v[i] = 0.62f * shadow.v[i];
    s.Paint(mask, [](double x, double y) { return WoodColour(kBoardWood, x, y); });
    TField bevel = mask;
    Blur(bevel, 7 * s.scale);
    for (std::size_t i = 0; i < mask.v.size(); ++i) {
        const float m = mask.v[i];
        s.height.v[i] += 18.f * s.scale * float(SmoothStep(0.5, 1.0, bevel.v[i])) * m;
        s.sheen.v[i] = 0.35f * m;
        s.ambient.v[i] *= 1 - m;
    }
}

// A thin strip of dark wood inlaid a little inside the board's edge.
void InlayStringing(TSurface& s) {
    QPainterPath line = RoundedPolygon(kBoardTop, 16);
    QPainterPathStroker outer;
    outer.setWidth(2.2);
    const QRectF b = kBoardTop.boundingRect();
    const double sx = (b.width() - 24) / b.width(), sy = (b.height() - 22) / b.height();
    QTransform t;
    t.translate(b.center().x(), b.center().y());
    t.scale(sx, sy);
    t.translate(-b.center().x(), -b.center().y());
    const TField mask = s.Mask(outer.createStroke(t.map(line)));
    for (std::size_t i = 0; i < mask.v.size(); ++i) {
        s.albedo[i] = Mix(QColor(s.albedo[i]), QColor(70, 36, 16), 0.8 * mask.v[i]).rgb();
        s.height.v[i] -= 0.6f * s.scale * mask.v[i];
    }
}

// The letters are shaped at the picture's own pixel size, so they stay crisp at every scale.
void CarveTitle(TSurface& s) {
    const int k = s.scale;
    QPainterPath text;
    QFont font(QStringLiteral("DejaVu Serif"), 1);
    font.setPixelSize(22 * k);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 6 * k);
    const QString title = QStringLiteral("KELANI");
    text.addText(0, 0, font, title);
    const QRectF r = text.boundingRect();
    text.translate(360 * k - r.center().x(), 136 * k - r.center().y());
    TField mask = PathMask(text, s.Width(), s.Height());
    TField soft = mask;
    Blur(soft, 2 * k);
    for (std::size_t i = 0; i < mask.v.size(); ++i) {
        s.height.v[i] -= 2.5f * k * soft.v[i];
        s.albedo[i] = Scale(s.albedo[i], 1 - 0.3 * mask.v[i]);
    }
}

void CarvePits(TSurface& s) {
    TField depth(s.Width(), s.Height());
    for (int place = 1; place <= 14; ++place) {
        const TBox& b = kPitRects[place];
        CarveBowl(depth, s.scale, b.Centre(), b.Width() / 2.0, b.Height() / 2.0, IsHeadPit(place) ? 20 : 15);
    }
    ApplyBowls(s, depth, 20);
}

void PaintPlate(TSurface& s, const QRectF& r) {
    const TField outer = s.Mask(Rounded(r, 9));
    const TField inner = s.Mask(Rounded(r.adjusted(4, 4, -4, -4), 6));
    TField shadow = s.Mask(Rounded(r.translated(3, 4), 9));
    Blur(shadow, 6 * s.scale);
    for (std::size_t i = 0; i < shadow.v.size(); ++i)
        s.ambient.v[i] = std::max(s.ambient.v[i], 0.5f * shadow.v[i] * (1 - outer.v[i]));
    s.Paint(outer, [](double x, double y) {
        const double n = Fbm(x * 0.2, y * 0.2, 2, 77);
        return Scale(kBrass.rgb(), 0.85 + 0.3 * n);
    });
    s.Paint(inner, [](double x, double y) {
        const double n = Fbm(x * 0.05, y * 0.05, 3, 91);
        return Scale(kIvory.rgb(), 0.96 + 0.06 * n);
    });
    TField rim = outer;
    Blur(rim, 2 * s.scale);
    for (std::size_t i = 0; i < outer.v.size(); ++i) {
        s.height.v[i] += (4.f * rim.v[i] - 4.5f * inner.v[i]) * s.scale;
        s.sheen.v[i] = std::max(s.sheen.v[i], 0.9f * (outer.v[i] - inner.v[i]));
    }
}

void PaintFrontFace(QImage& img, int scale) {
    // The board's near edge, seen almost head on: the same wood in shade, darkening toward the
    // table, with a dark seam where it stands on it.
    const QPainterPath top = RoundedPolygon(kBoardTop, 16);
    const QPainterPath face = top.translated(0, kFrontDepth).subtracted(top);
    const QRectF bounds = face.boundingRect();
    QImage grain(img.size(), QImage::Format_ARGB32_Premultiplied);
    grain.fill(Qt::transparent);
    const int bottom = std::min(img.height(), int(bounds.bottom() * scale) + scale);
    for (int y = int(bounds.top() * scale); y < bottom; ++y)
        for (int x = 0; x < img.width(); ++x) {
            const double py = PointOf(y, scale);
            const double t = std::clamp((py - (bounds.bottom() - kFrontDepth)) / kFrontDepth, 0.0, 1.0);
            grain.setPixel(x, y,
                           Scale(WoodColour(kBoardWood, PointOf(x, scale), py * 1.5 + 300), 0.46 - 0.18 * t));
        }
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipPath(ToPixels(face, scale));
    p.drawImage(0, 0, grain);
    p.setClipping(false);
    p.setPen(QPen(QColor(30, 16, 8, 170), 1.5 * scale));
    p.setBrush(Qt::NoBrush);
    p.drawPath(
        ToPixels(top.translated(0, kFrontDepth).subtracted(top.translated(0, kFrontDepth - 1.5)), scale));
}

void PaintSmallBoards(QImage& img, int scale) {
    const QImage small = PaintSmallBoard(scale);
    QPainterPath boards;
    for (QPoint sketch : {kOverviewSketch, kPreviewSketch})
        boards.addRoundedRect(
            QRectF(sketch - kSketchOffset + QPoint(4, 5), QSize(kSmallBoardWidth, kSmallBoardHeight)), 6, 6);
    TField shadow = PathMask(ToPixels(boards, scale), img.width(), img.height());
    Blur(shadow, 8 * scale);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (shadow.at(x, y) > 0.004f)
                img.setPixel(x, y, Scale(img.pixel(x, y), 1 - 0.6 * shadow.at(x, y)));
    // The small board's picture is a square of wood; only its rounded outline lies on the table,
    // so the corners keep the table's shadowed wood instead of dark triangles.
    const TField outline =
        PathMask(ToPixels(Rounded(QRectF(0, 0, kSmallBoardWidth, kSmallBoardHeight), 6), scale),
                 small.width(), small.height());
    for (QPoint sketch : {kOverviewSketch, kPreviewSketch}) {
        const QPoint origin = (sketch - kSketchOffset) * scale;
        for (int y = 0; y < small.height(); ++y)
            for (int x = 0; x < small.width(); ++x) {
                const QPoint at = origin + QPoint(x, y);
                img.setPixel(at, Mix(img.pixel(at), small.pixel(x, y), outline.at(x, y)).rgb());
            }
    }
}

// Small printed symbols beside the text areas, so the board needs no words in any language.
void PrintPlateIcons(QImage& img, int scale) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    const QColor ink(96, 62, 34);
    DrawClockIcon(p, QRectF(33, 27, 32, 32), ink);
    DrawTurnIcon(p, QRectF(184, 25, 30, 30), ink);
    DrawVariantIcon(p, QRectF(316, 26, 34, 26), ink);
    DrawInHandIcon(p, QRectF(444, 25, 28, 30), ink);
    DrawTallyIcon(p, QRectF(596, 26, 30, 30), ink);
}

} // namespace

QImage PaintBoard(int scale) {
    TSurface s(kBoardWidth, kBoardHeight, scale);
    PaintTable(s);
    PaintBoardTop(s);
    InlayStringing(s);
    CarveTitle(s);
    CarvePits(s);
    for (const QRectF& r : kPlates) PaintPlate(s, r);
    PaintPlate(s, kNotesPlate);
    QImage img = s.Render();
    PaintFrontFace(img, scale);
    PaintSmallBoards(img, scale);
    PrintPlateIcons(img, scale);
    return img;
}

QRgb TableColour(double x, double y) {
    return WoodColour(kTable, x, y);
}

QImage CutRim(const QImage& board, int place, int scale) {
    const TBox& b = kPitRects[place];
    const QPoint q = kRimOrigins[place] * scale;
    const int width = (b.r + (b.l - kRimOrigins[place].x()) - kRimOrigins[place].x()) * scale;
    const int height = (b.b + 5 - kRimOrigins[place].y()) * scale;
    const QPointF c = b.Centre();
    const double rx = b.Width() / 2.0, ry = b.Height() / 2.0;
    QImage rim(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double u = ((q.x() + x + 0.5) / scale - c.x()) / rx;
            const double v = ((q.y() + y + 0.5) / scale - c.y()) / ry;
            // Inside the opening the stones show; elsewhere the board covers them. A board pixel
            // that happens to be pure white would vanish, so it is nudged off the key colour.
            QRgb px = board.pixel(q.x() + x, q.y() + y);
            if (px == qRgb(255, 255, 255)) px = qRgb(254, 254, 254);
            rim.setPixel(x, y, u * u + v * v < 0.93 ? qRgb(255, 255, 255) : px);
        }
    return rim;
}

QImage PaintGolden(int scale) {
    constexpr int w = 62, h = 47;
    QImage big(w * 4 * scale, h * 4 * scale, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(4 * scale, 4 * scale);
        QPainterPath ring;
        ring.addEllipse(QRectF(1, 1, w - 2, h - 2));
        ring.addEllipse(QRectF(8, 7, w - 16, h - 14));
        p.fillPath(ring, GoldGradient(QPointF(0, 0), QPointF(w, h)));
        p.setPen(QPen(QColor(110, 66, 10), 0.8));
        p.drawPath(ring);
        DrawSparkle(p, QPointF(12, 9), 6, QColor(255, 252, 230));
        DrawSparkle(p, QPointF(50, 40), 4.5, QColor(255, 248, 210));
    }
    const QImage soft = Downsample(big, 4);
    QImage out(soft.size(), QImage::Format_RGB32);
    const QColor edge(90, 56, 26);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRgb px = soft.pixel(x, y);
            const double a = qAlpha(px) / 255.0;
            QRgb c = qRgb(255, 255, 255);
            if (a >= 0.35) {
                c = qRgb(Clamp255(qRed(px) + edge.red() * (1 - a)),
                         Clamp255(qGreen(px) + edge.green() * (1 - a)),
                         Clamp255(qBlue(px) + edge.blue() * (1 - a)));
                if (c == qRgb(255, 255, 255)) c = qRgb(255, 255, 254);
            }
            out.setPixel(x, y, c);
        }
    return out;
}

int CaptionWidth(QPoint pos) {
    // Centred over the small board below when the text fits, else reaching to the board's right end.
    if (pos == kOverviewCaption) return 2 * (kOverviewSketch.x() + 92 - pos.x());
    return kPreviewSketch.x() - kSketchOffset.x() + kSmallBoardWidth - pos.x();
}

// The text is set at the picture's own pixel size (never an enlarged small font).
QImage PaintCaption(const QImage& board, QPoint pos, int width, const QString& text, int scale) {
    const int k = scale;
    QImage cap =
        board.copy(pos.x() * k, pos.y() * k, width * k, 26 * k).convertToFormat(QImage::Format_RGB32);
    QPainter p(&cap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("Comic Sans MS"), 1);
    font.setPixelSize(14 * k);
    font.setBold(true);
    p.setFont(font);
    const QRectF r(0, 0, width * k, 22 * k);
    p.setPen(QColor(20, 10, 4));
    p.drawText(r.translated(k, k), Qt::AlignCenter, text);
    p.setPen(QColor(240, 206, 120));
    p.drawText(r, Qt::AlignCenter, text);
    // A thin gilded rule under the caption, fading out to both sides.
    QLinearGradient rule(0, 0, width * k, 0);
    rule.setColorAt(0, QColor(220, 180, 90, 0));
    rule.setColorAt(0.5, QColor(220, 180, 90, 200));
    rule.setColorAt(1, QColor(220, 180, 90, 0));
    p.fillRect(QRectF(6 * k, 23 * k, (width - 12) * k, 1.2 * k), rule);
    return cap;
}

QImage PaintSmallBoard(int scale) {
    TSurface s(kSmallBoardWidth, kSmallBoardHeight, scale);
    TField all(s.Width(), s.Height(), 1.f);
    s.Paint(all, [](double x, double y) { return WoodColour(kBoardWood, x * 1.6 + 40, y * 1.6 + 90); });
    const TField mask = s.Mask(Rounded(QRectF(0, 0, kSmallBoardWidth, kSmallBoardHeight), 6));
    TField bevel = mask;
    Blur(bevel, 5 * scale);
    for (std::size_t i = 0; i < mask.v.size(); ++i) {
        s.height.v[i] = 6.f * scale * float(SmoothStep(0.45, 1.0, bevel.v[i]));
        s.sheen.v[i] = 0.3f;
        s.ambient.v[i] = 1 - mask.v[i];
    }
    TField depth(s.Width(), s.Height());
    const QPointF o(kSketchOffset);
    for (int col = 1; col <= 6; ++col)
        for (int row : {0, 2})
            CarveBowl(depth, scale, o + QPointF(23 * col + 11, 15 * row + 7.5), 9.5, 7.5, 5);
    for (int col : {0, 7}) CarveBowl(depth, scale, o + QPointF(23 * col + 11, 22), 9.5, 21, 6);
    ApplyBowls(s, depth, 6);
    for (std::size_t i = 0; i < depth.v.size(); ++i)
        s.albedo[i] = Scale(s.albedo[i], 1 - 1.6 * std::min(0.4f, depth.v[i] / (6 * scale)));
    // The ivory inlay that carries the count of stones still in play.
    const TField inlay = s.Mask([&] {
        QPainterPath p;
        p.addEllipse(o + QPointF(92, 22), 15, 6.5);
        return p;
    }());
    s.Paint(inlay, [](double, double) { return kIvory.rgb(); });
    s.Raise(inlay, -1.f);
    return s.Render(1.0f);
}

} // namespace kelani::art
