#include "app/ufLanguage.h"

#include "app/lngDialogs.h"
#include "components/MultiLanguage.h"
#include "components/uTextConversion.h"
#include "settings/uIniFile.h"
#include "settings/uTSettings.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <array>

namespace kelani {
namespace {

constexpr int kWidth = 330;
constexpr int kHeight = 193;
constexpr int kHeaderHeight = 80;

// A flag on a white 64 x 64 tile with a thin grey border, for the header.
template <class TPaint> QPixmap FlagPicture(TPaint paint) {
    QPixmap picture(64, 64);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF flag(4, 14, 56, 36);
    painter.setClipRect(flag);
    paint(painter, flag);
    painter.setClipping(false);
    painter.setPen(QPen(QColor(120, 120, 120), 1));
    painter.drawRect(flag);
    return picture;
}

// German: black, red and gold.
void PaintGermanFlag(QPainter& painter, const QRectF& flag) {
    const std::array<QColor, 3> stripes = {QColor(0, 0, 0), QColor(221, 0, 0), QColor(255, 206, 0)};
    const qreal height = flag.height() / 3;
    for (size_t i = 0; i < stripes.size(); ++i)
        painter.fillRect(
            QRectF(flag.left(), flag.top() + height * static_cast<qreal>(i), flag.width(), height),
            stripes[i]);
}

// English: a plain union flag.
void PaintUnionFlag(QPainter& painter, const QRectF& flag) {
    painter.fillRect(flag, QColor(1, 33, 105));
    const QColor red(200, 16, 46);
    for (auto [width, colour] : {std::pair{9.0, QColor(Qt::white)}, std::pair{3.0, red}}) {
        painter.setPen(QPen(colour, width));
        painter.drawLine(flag.topLeft(), flag.bottomRight());
        painter.drawLine(flag.bottomLeft(), flag.topRight());
    }
    const QPointF centre = flag.center();
    for (auto [half, colour] : {std::pair{5.0, QColor(Qt::white)}, std::pair{3.0, red}}) {
        painter.fillRect(QRectF(centre.x() - half, flag.top(), 2 * half, flag.height()), colour);
        painter.fillRect(QRectF(flag.left(), centre.y() - half, flag.width(), 2 * half), colour);
    }
}

QLabel* Picture(QWidget* parent, const QString& name, const QPixmap& pixmap, int left) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(pixmap);
    label->setGeometry(left, 8, 64, 64);
    return label;
}

QPushButton* Button(QWidget* parent, const QString& name, int left) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    // Centred in the space below the header and its bevel.
    constexpr int kButtonHeight = 40;
    const int top = kHeaderHeight + 2 + (kHeight - kHeaderHeight - 2 - kButtonHeight) / 2;
    button->setGeometry(left, top, 140, kButtonHeight);
    return button;
}

} // namespace

TfLanguage::TfLanguage(std::string settingsFolder, QWidget* parent)
    : QDialog(parent), settingsFolder_(std::move(settingsFolder)) {
    setObjectName(QStringLiteral("TfLanguage"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kWidth, kHeight);

    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("pTop"));
    header->setGeometry(0, 0, kWidth, kHeaderHeight);
    header->setAutoFillBackground(true);
    QPalette white = header->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    header->setPalette(white);
    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(0, kHeaderHeight, kWidth, 2);
    Picture(header, QStringLiteral("iGerman"), FlagPicture(PaintGermanFlag), 8);
    Picture(header, QStringLiteral("iEnglish"), FlagPicture(PaintUnionFlag), kWidth - 72);

    auto* heading = new QLabel(header);
    heading->setObjectName(QStringLiteral("lDescHead"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->setAlignment(Qt::AlignHCenter);
    heading->setGeometry(76, 14, kWidth - 152, 20);
    auto* text = new QLabel(header);
    text->setObjectName(QStringLiteral("lDesc"));
    text->setAlignment(Qt::AlignHCenter);
    text->setGeometry(76, 36, kWidth - 152, 40);

    bGerman_ = Button(this, QStringLiteral("bGerman"), 16);
    bEnglish_ = Button(this, QStringLiteral("bEnglish"), kWidth - 16 - 140);
    connect(bGerman_, &QPushButton::clicked, this, [this] { Choose(QStringLiteral("german")); });
    connect(bEnglish_, &QPushButton::clicked, this, [this] { Choose(QStringLiteral("english")); });

    // The texts are bilingual; either section of the script gives the same captions.
    auto* lng = new TMultiLanguage(this);
    lng->setObjectName(QStringLiteral("lng"));
    lng->LoadScript(QStringLiteral("TfLanguage"));
    lng->SetLanguage(QStringLiteral("german"));

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
}

void TfLanguage::Choose(const QString& language) {
    chosenLanguage_ = language;
    accept();
}

void TfLanguage::done(int result) {
    StoreChoice();
    if (chosenLanguage_.isEmpty()) return; // no closing without a choice
    QDialog::done(result);
}

// Every close writes the choice; an empty one makes the next start ask again.
void TfLanguage::StoreChoice() {
    try {
        TKelaniSettings(settingsFolder_).SaveLanguage(ToCp1252(chosenLanguage_));
    } catch (const EIniFileException& e) {
        // The box speaks the language just chosen: on the first start there is no other yet.
        if (!chosenLanguage_.isEmpty()) SetDialogLanguage(chosenLanguage_);
        LngErrorDlg(e);
    }
}

} // namespace kelani
