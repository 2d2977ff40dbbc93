#include "components/uDialogHeader.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kelani {

TDialogHeader MakeDialogHeader(QWidget* parent, const QString& picture, const QString& heading) {
    TDialogHeader header;
    header.Panel = Named(new QWidget(parent), "pTop");
    header.Panel->setAutoFillBackground(true);
    QPalette palette = header.Panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    header.Panel->setPalette(palette);

    header.Picture = Named(new QLabel(header.Panel), "iTop");
    header.Picture->setPixmap(QPixmap(picture));
    header.Picture->setFixedSize(64, 64);
    header.Heading = Named(new QLabel(heading, header.Panel), "lDescHead");
    QFont bold = header.Heading->font();
    bold.setBold(true);
    header.Heading->setFont(bold);
    header.Text = Named(new QLabel(header.Panel), "lDesc");
    header.Text->setWordWrap(true);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(header.Heading);
    texts->addWidget(header.Text, 1);
    auto* layout = new QHBoxLayout(header.Panel);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addLayout(texts, 1);
    layout->addWidget(header.Picture, 0, Qt::AlignTop);
    return header;
}

QString JoinBrokenSentences(QString text) {
    for (qsizetype at = text.indexOf(QLatin1Char('\n')); at >= 0;
         at = text.indexOf(QLatin1Char('\n'), at + 1))
        if (at + 1 < text.size() && text[at + 1].isLower()) text[at] = QLatin1Char(' ');
    return text;
}

} // namespace kelani
