#include "components/uPaintBox.h"

#include "components/uHtmlHint.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>

namespace kelani {

TPaintBox::TPaintBox(const QString& name, THtmlHintWindow& hintWindow, QWidget* parent)
    : QWidget(parent), hintWindow_(hintWindow) {
    setObjectName(name);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPaintBox::SetHint(const QString& html) {
    hint_ = html;
}

void TPaintBox::SetShowHint(bool show) {
    showHint_ = show;
    if (!show) CancelHint();
}

void TPaintBox::CancelHint() {
    hintWindow_.HideHint();
}

bool TPaintBox::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (showHint_ && !hint_.isEmpty())
            hintWindow_.ShowHint(help->globalPos(), hint_);
        else
            CancelHint();
        return true;
    }
    return QWidget::event(event);
}

void TPaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (OnPaint) OnPaint(painter);
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove) OnMouseMove(event->position().toPoint().x(), event->position().toPoint().y());
}

void TPaintBox::mousePressEvent(QMouseEvent* event) {
    if (OnMouseDown) OnMouseDown(event->position().toPoint().x(), event->position().toPoint().y());
}

void TPaintBox::leaveEvent(QEvent* event) {
    CancelHint();
    QWidget::leaveEvent(event);
}

} // namespace kelani
