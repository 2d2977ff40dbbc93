#include "components/uJwHelpPrinting.h"

#include <QFontMetrics>
#include <QPrinter>
#include <cmath>

namespace kelani {
namespace {

int Right(const QRect& r) {
    return r.x() + r.width();
}
int Bottom(const QRect& r) {
    return r.y() + r.height();
}

// Round to nearest, ties to even, like the printing code was designed with.
int RoundEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

// Text with the top of its line at (x, y).
void TextOut(QPainter& canvas, int x, int y, const QString& text) {
    canvas.drawText(QPoint(x, y + canvas.fontMetrics().ascent()), text);
}

void DrawThreePartLine(QPainter& canvas, const QString& left, const QString& middle, const QString& right,
                       const QRect& line) {
    const double third = line.width() / 3.0;
    const int a = line.x() + RoundEven(third);
    const int b = line.x() + RoundEven(2 * third);
    if (!left.isEmpty())
        DrawAlignedText(canvas, left, QRect(line.x(), line.y(), a - line.x(), line.height()), 1, 0);
    if (!middle.isEmpty()) DrawAlignedText(canvas, middle, QRect(a, line.y(), b - a, line.height()), 1, 2);
    if (!right.isEmpty())
        DrawAlignedText(canvas, right, QRect(b, line.y(), Right(line) - b, line.height()), 1, 1);
}

} // namespace

QRect PrintMargins(const QPrinter& printer) {
    const int mx = RoundEven(1.5 * printer.resolution() / 2.54);
    const int my = RoundEven(2.0 * printer.resolution() / 2.54);
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    const QRect printable = printer.pageRect(QPrinter::DevicePixel).toRect();
    const int ox = printable.x() - paper.x();
    const int oy = printable.y() - paper.y();
    const int left = std::max(mx - ox, 0);
    const int top = std::max(my - oy, 0);
    return QRect(left, top, paper.width() - mx - ox - left, paper.height() - my - oy - top);
}

int LineHeight(const QPainter& canvas) {
    return canvas.fontMetrics().height();
}

void DrawAlignedText(QPainter& canvas, const QString& text, const QRect& rect, int vAlign, int hAlign) {
    const QFontMetrics metrics = canvas.fontMetrics();
    const int height = metrics.height();
    const int width = metrics.horizontalAdvance(text);
    int y = rect.y();
    if (vAlign == 1)
        y = rect.y() + (rect.height() - height) / 2;
    else if (vAlign == 2)
        y = Bottom(rect) - height;
    int x = rect.x();
    if (hAlign == 1)
        x = Right(rect) - width;
    else if (hAlign == 2)
        x = rect.x() + (rect.width() - width) / 2;
    TextOut(canvas, x, y, text);
}

void DrawHeaderLine(QPainter& canvas, const QString& left, const QString& middle, const QString& right,
                    const QRect& rect) {
    DrawThreePartLine(canvas, left, middle, right,
                      QRect(rect.x(), rect.y(), rect.width(), LineHeight(canvas)));
}

void DrawFooterLine(QPainter& canvas, const QString& left, const QString& middle, const QString& right,
                    const QRect& rect) {
    const int height = LineHeight(canvas);
    DrawThreePartLine(canvas, left, middle, right,
                      QRect(rect.x(), Bottom(rect) - height, rect.width(), height));
}

void TJwKopfFussZeile::Draw(const QRect& rect) {
    if (!Visible) return;
    if (IsHeader)
        DrawHeaderLine(Page.Canvas(), LeftText, MiddleText, RightText, rect);
    else
        DrawFooterLine(Page.Canvas(), LeftText, MiddleText, RightText, rect);
}

TJwPrinterPage::TJwPrinterPage(QPrinter& printer) : Font(QStringLiteral("Arial"), 12), Printer(printer) {}

TJwPrinterPage::~TJwPrinterPage() {
    if (painter_.isActive()) painter_.end();
}

bool TJwPrinterPage::BeginDoc() {
    if (!painter_.begin(&Printer)) return false;
    Area = PrintMargins(Printer);
    painter_.setFont(Font);
    painter_.setBrush(Qt::NoBrush);
    const int skip = 2 * LineHeight(painter_);
    if (Kopfzeile.Visible) {
        Kopfzeile.Draw(Area);
        Area.setTop(Area.top() + skip);
    }
    if (Fusszeile.Visible) {
        Fusszeile.Draw(Area);
        Area.setBottom(Area.bottom() - skip);
    }
    return true;
}

void TJwPrinterPage::WriteLine(const QString& text) {
    painter_.setFont(Font);
    TextOut(painter_, Area.x(), Area.y(), text);
    const int height = std::max(painter_.fontMetrics().boundingRect(text).height(), LineHeight(painter_));
    Area.setTop(Area.top() + height);
}

void TJwPrinterPage::EndDoc() {
    if (painter_.isActive()) painter_.end();
}

} // namespace kelani
