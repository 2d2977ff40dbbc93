#pragma once
// Small printing routines shared by the printouts of the highscore table and the move history:
// the page margins, aligned text, the three-part header and footer lines, and a printer page
// that writes line by line below its header.
//
// Rectangles follow the Windows convention: Left and Top inclusive, Right and Bottom exclusive
// (build them with RectLTRB). All coordinates are printer pixels with the origin at the top-left
// corner of the printable area, as a painter on the printer sees them.
#include <QFont>
#include <QPainter>
#include <QRect>
#include <QString>
#include <memory>

class QPrinter;

namespace kelani {

// 1.5 cm at the sides and 2 cm at top and bottom, measured from the paper's edge.
QRect PrintMargins(const QPrinter& printer);

// vAlign: 0 top, 1 centre, 2 bottom; hAlign: 0 left, 1 right, 2 centre. One text out at the
// computed point, not clipped.
void DrawAlignedText(QPainter& canvas, const QString& text, const QRect& rect, int vAlign, int hAlign);

// A line of three texts (left-aligned, centred, right-aligned in thirds of rect), one text line
// high, at the top of rect (header) or at its bottom (footer).
void DrawHeaderLine(QPainter& canvas, const QString& left, const QString& middle, const QString& right,
                    const QRect& rect);
void DrawFooterLine(QPainter& canvas, const QString& left, const QString& middle, const QString& right,
                    const QRect& rect);

// The height of one text line in the painter's font ("gH": an ascender and a descender).
int LineHeight(const QPainter& canvas);

class TJwPrinterPage;

// One header or footer line of a printer page.
class TJwKopfFussZeile {
public:
    TJwKopfFussZeile(TJwPrinterPage& page, bool isHeader) : Page(page), IsHeader(isHeader) {}
    TJwPrinterPage& Page;
    QString LeftText, MiddleText, RightText;
    bool Visible = false;
    const bool IsHeader;
    void Draw(const QRect& rect);
};

// A printer document written line by line. Header and footer appear on the first page only; the
// page makes no further pages.
class TJwPrinterPage {
public:
    explicit TJwPrinterPage(QPrinter& printer);
    ~TJwPrinterPage();

    TJwKopfFussZeile Kopfzeile{*this, true};
    TJwKopfFussZeile Fusszeile{*this, false};
    QFont Font;        // font of the next lines (point sizes, as on paper)
    QPrinter& Printer; // not owned
    QRect Area;        // the part of the print area still free; its top is the next line

    // Starts the document, draws the visible header and footer and narrows Area below and above
    // them by two line heights each. False when the printer could not be opened.
    bool BeginDoc();
    // Writes text at Area's top-left and moves Area's top down one line (an empty text too).
    void WriteLine(const QString& text);
    void EndDoc();

    // The painter of the running document (valid between BeginDoc and EndDoc).
    QPainter& Canvas() { return painter_; }

private:
    QPainter painter_;
};

} // namespace kelani
