#include "components/uAboutBox.h"

#include "components/uShellOpen.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelani {
namespace {

QLabel* MakeLabel(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

} // namespace

TInfoDialogTarvik::TInfoDialogTarvik(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("id"));
    lProduct_ = MakeLabel(this, QStringLiteral("lProduct"));
    lVersion_ = MakeLabel(this, QStringLiteral("lVersion"));
    lMaker_ = MakeLabel(this, QStringLiteral("lMaker"));
    lAddresses_ = MakeLabel(this, QStringLiteral("lAddresses"));
    connect(lAddresses_, &QLabel::linkActivated, this, [this](const QString& link) {
        const QUrl url(link);
        if (OnOpenLink)
            OnOpenLink(url);
        else
            ShellOpen(url);
    });
    lAddresses_->setTextFormat(Qt::RichText);
    // Tab walks the links and Enter opens one, for players without a mouse.
    lAddresses_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    QFont big = lProduct_->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    lProduct_->setFont(big);
    bOK_ = new QPushButton(QStringLiteral("OK"), this);
    bOK_->setObjectName(QStringLiteral("bOK"));
    bOK_->setDefault(true);
    connect(bOK_, &QPushButton::clicked, this, &QDialog::accept);

    auto* picture = MakeLabel(this, QStringLiteral("iIcon"));
    picture->setPixmap(QPixmap(QStringLiteral(":/pictures/icon_64.png")));
    picture->setAlignment(Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    for (QLabel* label : {lProduct_, lVersion_, lMaker_, lAddresses_}) texts->addWidget(label);
    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(bOK_, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Retranslate();
}

void TInfoDialogTarvik::SetLanguage(const QString& language) {
    language_ = language.toLower();
    Retranslate();
}

void TInfoDialogTarvik::Retranslate() {
    const bool english = language_ == QLatin1String("english");
    setWindowTitle(english ? QStringLiteral("About") : QStringLiteral("\u00DCber"));
    lProduct_->setText(ProductName);
    lVersion_->setText(Version);
    lMaker_->setText(
        (english ? QStringLiteral("Made by %1") : QStringLiteral("Hergestellt von %1")).arg(Maker));
    lAddresses_->setText(QStringLiteral("<a href=\"mailto:%1\">%1</a><br><a href=\"%2\">%2</a><br>"
                                        "<a href=\"%3\">%3</a>")
                             .arg(EMail, Homepage, Shop));
}

void TInfoDialogTarvik::Execute() {
    Retranslate();
    exec();
}

} // namespace kelani
