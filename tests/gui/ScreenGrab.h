#pragma once
// What a window shows on the screen. QWidget::grab() paints the widget afresh, so it shows what a
// repaint would draw even when the window was never asked to repaint; these helpers read the
// picture the window system holds for the window (under the offscreen platform its backing
// store), which changes only when Qt really painted and flushed the window.
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QWidget>

namespace kelani::testing {

// The picture of `widget` on the screen right now, in the widget's own coordinates.
inline QImage ScreenNow(QWidget& widget) {
    QWidget* window = widget.window();
    const QPoint origin = widget.mapTo(window, QPoint(0, 0));
    return window->screen()
        ->grabWindow(window->winId(), origin.x(), origin.y(), widget.width(), widget.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The same once the repaints asked for so far have reached the screen (Qt delivers an update a
// few milliseconds after it was asked for).
inline QImage OnScreen(QWidget& widget) {
    QTest::qWait(30);
    return ScreenNow(widget);
}

// Whether two pictures agree inside `rect`.
inline bool SameIn(const QImage& a, const QImage& b, const QRect& rect) {
    return a.convertToFormat(QImage::Format_RGB32).copy(rect) ==
           b.convertToFormat(QImage::Format_RGB32).copy(rect);
}

} // namespace kelani::testing
