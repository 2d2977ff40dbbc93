#include "view/uTCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace kelani {
namespace {

// Windows sizes fonts at 96 dpi with rounding (MulDiv(points, 96, 72)).
int PointsToPixels(int points) {
    return (points * 96 + 36) / 72;
}

// Qt needs a painter format that supports raster operations.
void EnsureRasterFormat(QImage& image) {
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32_Premultiplied)
        image.convertTo(QImage::Format_RGB32);
}

} // namespace

TCanvas::TCanvas(QImage& image) : Picture(&image) {}

void TCanvas::ApplyClip(QPainter& painter) const {
    if (!ClipRect.isNull()) painter.setClipRect(ClipRect);
}

QFont TCanvas::QtFont() const {
    QFont font(Font.Name);
    font.setPixelSize(std::max(1, PointsToPixels(Font.Size)));
    font.setBold(Font.Bold);
    font.setItalic(Font.Italic);
    font.setUnderline(Font.Underline);
    return font;
}

int PictureScale(const QImage& picture) {
    return std::max(1, int(picture.devicePixelRatio() + 0.5));
}

QRect PixelRect(const QRect& points, int scale) {
    return QRect(points.topLeft() * scale, points.size() * scale);
}

void TCanvas::CopyRect(const QRect& dest, const TCanvas& source, const QRect& sourceRect) {
    if (&source == this) {
        const QImage copy = Picture->copy(PixelRect(sourceRect, Scale()));
        CopyRect(dest, copy, QRect(QPoint(), sourceRect.size()));
        return;
    }
    CopyRect(dest, source.Image(), sourceRect);
}

void TCanvas::CopyRect(const QRect& dest, const QImage& source, const QRect& sourceRect) {
    const int sourceScale = PictureScale(source);
    QPainter painter(Picture);
    ApplyClip(painter);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (dest.size() != sourceRect.size() || sourceScale != Scale())
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(dest, source, PixelRect(sourceRect, sourceScale));
}

void TCanvas::Draw(int x, int y, const QImage& picture) {
    QPainter painter(Picture);
    ApplyClip(painter);
    painter.drawImage(x, y, picture);
}

void TCanvas::DrawTransparent(int x, int y, const QImage& picture, QColor key) {
    Draw(x, y, MakeTransparent(picture, key));
}

void TCanvas::RasterBlit(int x, int y, const QImage& picture, int operation) {
    EnsureRasterFormat(*Picture);
    QPainter painter(Picture);
    ApplyClip(painter);
    painter.setCompositionMode(static_cast<QPainter::CompositionMode>(operation));
    if (picture.format() == QImage::Format_RGB32) {
        painter.drawImage(x, y, picture);
    } else {
        painter.drawImage(x, y, picture.convertToFormat(QImage::Format_RGB32));
    }
}

void TCanvas::AndBlit(int x, int y, const QImage& picture) {
    RasterBlit(x, y, picture, QPainter::RasterOp_SourceAndDestination);
}

void TCanvas::XorBlit(int x, int y, const QImage& picture) {
    RasterBlit(x, y, picture, QPainter::RasterOp_SourceXorDestination);
}

void TCanvas::TextOut(int x, int y, const QString& text) {
    const QFont font = QtFont();
    const QFontMetrics metrics(font);
    QPainter painter(Picture);
    ApplyClip(painter);
    if (Brush.Style == TBrushStyle::Solid)
        painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), Brush.Color);
    painter.setFont(font);
    painter.setPen(Font.Color);
    painter.drawText(x, y + metrics.ascent(), text);
}

void TCanvas::TextRect(const QRect& clip, int x, int y, const QString& text) {
    const QFont font = QtFont();
    const QFontMetrics metrics(font);
    QPainter painter(Picture);
    ApplyClip(painter);
    painter.setClipRect(clip, ClipRect.isNull() ? Qt::ReplaceClip : Qt::IntersectClip);
    if (Brush.Style == TBrushStyle::Solid) painter.fillRect(clip, Brush.Color);
    painter.setFont(font);
    painter.setPen(Font.Color);
    painter.drawText(x, y + metrics.ascent(), text);
}

int TCanvas::TextWidth(const QString& text) const {
    return QFontMetrics(QtFont()).horizontalAdvance(text);
}

int TCanvas::TextHeight(const QString&) const {
    return QFontMetrics(QtFont()).height();
}

void TCanvas::Ellipse(const QRect& box) {
    QPainter painter(Picture);
    ApplyClip(painter);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Pen.Color, Pen.Width));
    if (Brush.Style == TBrushStyle::Solid) {
        painter.setBrush(Brush.Color);
    } else {
        painter.setBrush(Qt::NoBrush);
    }
    // Windows keeps the outline inside the bounding box; Qt centres it on the path.
    const qreal inset = Pen.Width / 2.0;
    painter.drawEllipse(QRectF(box).adjusted(inset, inset, -inset, -inset));
}

void TCanvas::FillRect(const QRect& rect) {
    QPainter painter(Picture);
    ApplyClip(painter);
    painter.fillRect(rect, Brush.Color);
}

QImage MakeTransparent(const QImage& picture, QColor key) {
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb keyRgb = key.rgb() & RGB_MASK;
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if ((line[x] & RGB_MASK) == keyRgb) line[x] = 0;
        }
    }
    return result.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void RegisterFontSubstitutes() {
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"));
}

} // namespace kelani
