#include "components/uSplash.h"

#include "components/uWait.h"

#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

namespace kelani {

TSplashScreen::TSplashScreen(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SplashScreen"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    picture_.load(QStringLiteral(":/pictures/splash.png"));
    if (picture_.isNull()) {
        // Without the compiled-in picture the splash still shows a plain dark card with the caption.
        picture_ = QImage(480, 300, QImage::Format_RGB32);
        picture_.fill(QColor(60, 36, 20));
    }
    setFixedSize(picture_.deviceIndependentSize().toSize());
}

void TSplashScreen::SetCaption(const QString& caption) {
    caption_ = caption;
    setWindowTitle(caption);
    update();
}

void TSplashScreen::Execute() {
    int ticks = 0;
    QTimer timer;
    timer.setInterval(1000 / WaitSpeedUp());
    connect(&timer, &QTimer::timeout, this, [&] {
        if (++ticks >= kTicks) accept();
    });
    timer.start();
    exec();
    picture_ = QImage();
}

void TSplashScreen::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(rect(), picture_);
    QFont font(QStringLiteral("Comic Sans MS"), 12, QFont::Bold);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignHCenter | Qt::AlignBottom, caption_);
}

void TSplashScreen::keyPressEvent(QKeyEvent* event) {
    // The splash closes by its timer only; Esc must not cut the start short.
    event->ignore();
}

} // namespace kelani
