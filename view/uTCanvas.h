#pragma once
// TCanvas: the stateful drawing surface the board code paints with.
//
// It behaves like a Windows device-context canvas: a font, a brush and a pen are set once and stay
// in force for every later call until someone changes them. The board layers rely on that (the
// controller sets the board font once; every layer only changes the size).
//
// A canvas does not own its picture: it draws on a QImage that belongs to the caller and must
// outlive the canvas. The image may be replaced by assignment at any time (the controller swaps
// whole pictures when the language changes): no painter is kept open between calls.
//
// Rectangles follow the Windows convention throughout: Left, Top inclusive, Right, Bottom
// exclusive. Build them with RectLTRB so the numbers read like the board tables.
//
// Pictures meant for the AND / XOR blits should be Format_RGB32; the canvas converts its own
// image to that format before such a blit when necessary.
//
// Every coordinate is a point of the board as it was designed (800 x 600 window, 720 x 520
// board). A picture with a device pixel ratio of 2 holds four pixels per point: a canvas on it
// paints rectangles, text and ellipses at twice the resolution, and pictures of the same ratio
// (the @2x containers) land on it pixel for pixel. At ratio 1 nothing is scaled at all.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

namespace kelani {

// A rectangle given as (Left, Top, Right, Bottom) with Right and Bottom exclusive.
inline QRect RectLTRB(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

// Pixels per point of a picture: its device pixel ratio rounded to a whole number, at least 1.
int PictureScale(const QImage& picture);
// A rectangle in points of a picture as the rectangle of its pixels.
QRect PixelRect(const QRect& points, int scale);

enum class TBrushStyle { Solid, Clear };

struct TCanvasFont {
    QString Name = QStringLiteral("Arial");
    int Size = 8; // points, at the 96 dpi of the screen the board was designed on
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    QColor Color = Qt::black;

    bool operator==(const TCanvasFont&) const = default;
};

struct TCanvasBrush {
    TBrushStyle Style = TBrushStyle::Solid;
    QColor Color = Qt::white;
};

struct TCanvasPen {
    int Width = 1;
    QColor Color = Qt::black;
};

class TCanvas {
public:
    // Draws on `image`, which must outlive the canvas.
    explicit TCanvas(QImage& image);

    // The persistent drawing state; change the fields directly ("Canvas.Font.Size := 8").
    TCanvasFont Font;
    TCanvasBrush Brush;
    TCanvasPen Pen;
    // When set, no call draws outside this rectangle (a null rectangle: no clipping).
    QRect ClipRect;

    QImage& Image() { return *Picture; }
    const QImage& Image() const { return *Picture; }
    // The size in points (the picture's pixels divided by its device pixel ratio).
    int Width() const { return Picture->width() / Scale(); }
    int Height() const { return Picture->height() / Scale(); }
    // Pixels per point: 1, or 2 on an @2x picture.
    int Scale() const { return PictureScale(*Picture); }

    // Copies `sourceRect` of `source` into `dest` of this canvas, replacing the pixels (no
    // blending); stretched when the two rectangles differ in size. `source` may be this canvas.
    // Both rectangles are in points of their own picture.
    void CopyRect(const QRect& dest, const TCanvas& source, const QRect& sourceRect);
    void CopyRect(const QRect& dest, const QImage& source, const QRect& sourceRect);

    // Draws `picture` unscaled with its top-left corner at (x, y), honouring its alpha channel
    // (pictures prepared with MakeTransparent show the canvas where the key colour was).
    void Draw(int x, int y, const QImage& picture);
    // Draws `picture` leaving out every pixel of exactly the colour `key`.
    void DrawTransparent(int x, int y, const QImage& picture, QColor key);

    // Bitwise blits of `picture` at (x, y) over its own size: destination AND source, and
    // destination XOR source (the mask-and-picture way of drawing a sprite).
    void AndBlit(int x, int y, const QImage& picture);
    void XorBlit(int x, int y, const QImage& picture);

    // Text with its cell's top-left corner at (x, y) in the current font. With a solid brush the
    // cell is filled with the brush colour first; with a clear brush the text stands alone.
    void TextOut(int x, int y, const QString& text);
    // Text at (x, y) clipped to `clip`; with a solid brush the whole of `clip` is filled first.
    void TextRect(const QRect& clip, int x, int y, const QString& text);
    int TextWidth(const QString& text) const;
    // The height of a line of text in the current font (the same for every text).
    int TextHeight(const QString& text) const;

    // Ellipse inside the bounding box, outlined with the pen and filled with a solid brush.
    void Ellipse(const QRect& box);
    // Fills `rect` with the brush colour (whatever the brush style).
    void FillRect(const QRect& rect);

    // The current font as Qt sees it (pixel size from the point size at 96 dpi).
    QFont QtFont() const;

private:
    QImage* Picture;
    void RasterBlit(int x, int y, const QImage& picture, int operation);
    void ApplyClip(QPainter& painter) const;
};

// A copy of `picture` in which every pixel of exactly the colour `key` is fully transparent; the
// result draws with TCanvas::Draw like the original drawn with DrawTransparent, only faster.
QImage MakeTransparent(const QImage& picture, QColor key);

// Maps the fonts the board was designed with to the free fonts installed with the game, metric
// for metric: Comic Sans MS to Comic Neue, Arial to Liberation Sans, Tahoma to DejaVu Sans.
// Call once at start-up, after the QGuiApplication exists; repeated calls do no harm.
void RegisterFontSubstitutes();

} // namespace kelani
