#include "components/uHtmlHint.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPainterPath>
#include <QTextDocument>
#include <QUrl>
#include <QtMath>

namespace kelani {

THtmlLabel::THtmlLabel(QWidget* parent) : QWidget(parent), document_(new QTextDocument(this)) {
    document_->setDocumentMargin(0);
}

THtmlLabel::~THtmlLabel() = default;

void THtmlLabel::SetHtml(const QString& html) {
    html_ = html;
    Rebuild();
}

void THtmlLabel::SetImages(const QList<QImage>& images) {
    images_ = images;
    Rebuild();
}

void THtmlLabel::Rebuild() {
    document_->clear();
    document_->setDefaultFont(font());
    // Pictures must be known before the text is parsed, or the layout reserves no room for them.
    for (int i = 0; i < images_.size(); ++i)
        document_->addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("idx:%1").arg(i)),
                               images_[i]);
    document_->setHtml(html_);
    document_->adjustSize();
    updateGeometry();
    resize(sizeHint());
    update();
}

QSize THtmlLabel::sizeHint() const {
    const QSizeF size = document_->size();
    return QSize(qCeil(size.width()) + 2 * kPadding, qCeil(size.height()) + 2 * kPadding);
}

void THtmlLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.translate(kPadding, kPadding);
    document_->drawContents(&painter);
}

THtmlHintWindow::THtmlHintWindow(QWidget* parent) : THtmlLabel(parent) {
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setObjectName(QStringLiteral("htmlhint"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
}

void THtmlHintWindow::ShowHint(const QPoint& globalPos, const QString& html) {
    SetHtml(html);
    move(globalPos + QPoint(12, 18));
    show();
    raise();
}

void THtmlHintWindow::HideHint() {
    hide();
}

void THtmlHintWindow::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath frame;
        frame.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
        painter.fillPath(frame, QColor(255, 255, 225));
        painter.setPen(QColor(118, 118, 118));
        painter.drawPath(frame);
    }
    THtmlLabel::paintEvent(event);
}

} // namespace kelani
