#include "tests/view/test_canvas_support.h"

#include "view/uTCanvas.h"

#include <QApplication>

namespace kelani::test {
namespace {

// Every view test needs a running application for fonts and painting; it is made before main.
struct Application {
    int argc = 1;
    char name[10] = "test_view";
    char* argv[2] = {name, nullptr};
    QApplication* app;
    Application() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = new QApplication(argc, argv);
        RegisterFontSubstitutes();
    }
} application;

} // namespace

QImage Filled(QSize size, QColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QImage Gradient(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 64 + 32));
    return image;
}

int CountDifferent(const QImage& a, const QImage& b, const QRect& rect) {
    int count = 0;
    const QRect inside = rect & a.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if ((a.pixel(x, y) & RGB_MASK) != (b.pixel(x, y) & RGB_MASK)) ++count;
    return count;
}

bool SameInside(const QImage& a, const QImage& b, const QRect& rect) {
    return CountDifferent(a, b, rect) == 0;
}

bool SameOutside(const QImage& a, const QImage& b, const QRect& rect) {
    return CountDifferent(a, b, a.rect()) == CountDifferent(a, b, rect);
}

QRect DifferenceBounds(const QImage& a, const QImage& b) {
    QRect bounds;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) & RGB_MASK) != (b.pixel(x, y) & RGB_MASK)) bounds |= QRect(x, y, 1, 1);
    return bounds;
}

QColor PileColour(int n) {
    return QColor(20 * n, 40, 200);
}

std::array<QImage, 9> TestPiles() {
    std::array<QImage, 9> piles;
    for (int n = 1; n <= 9; ++n) {
        piles[n - 1] = Filled({24, 18}, Qt::red);
        for (int y = 2; y < 17; ++y)
            for (int x = 2; x < 22; ++x) piles[n - 1].setPixel(x, y, PileColour(n).rgb());
    }
    return piles;
}

} // namespace kelani::test

// Fontconfig and Qt's font database keep their caches until exit; the leak checker should not
// count them (our own allocations are still checked).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libQt6Gui\n";
}
