#include "app/ufStreichholz.h"

#include "app/lngDialogs.h"
#include "components/MultiLanguage.h"
#include "components/uDialogHeader.h"
#include "components/uFormat.h"
#include "components/uWait.h"
#include "game/uRandom.h"
#include "view/uTGFXFile.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace kelani {
namespace {

// The result message is never drawn smaller than this (pixels); below it, it would not be read.
constexpr int kMinMessagePixels = 9;
// An online draw shows by itself after this many milliseconds: the friend cannot see the button.
constexpr int kOnlineReveal = 1500;

} // namespace

TfStreichholz::TfStreichholz(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfStreichholz"));
    setWindowTitle(QStringLiteral("KELANI (R) Freeware Nr. 2"));

    const TDialogHeader header = MakeDialogHeader(this, QStringLiteral(":/pictures/header_lot.png"),
                                                  QStringLiteral("Welcher Spieler f\u00E4ngt an?"));
    // The description names both players: with the longest names it needs a fourth line.
    header.Panel->setMinimumHeight(80);
    lDesc = header.Text;

    iStreichholz = Named(new QLabel(this), "iStreichholz");
    iStreichholz->setFixedSize(400, 300);

    bLeft = Named(new QPushButton(QStringLiteral("Links"), this), "bLeft");
    bRight = Named(new QPushButton(QStringLiteral("Rechts"), this), "bRight");
    connect(bLeft, &QPushButton::clicked, this, &TfStreichholz::bRightClick);
    connect(bRight, &QPushButton::clicked, this, &TfStreichholz::bRightClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bLeft);
    buttons->addWidget(bRight);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->addWidget(header.Panel);
    layout->addWidget(iStreichholz, 0, Qt::AlignHCenter);
    layout->addStretch();
    layout->addLayout(buttons);

    lng = new TMultiLanguage(this);
    lng->setObjectName(QStringLiteral("lng"));
    lng->LoadScript(objectName());
}

// The matchsticks still hidden, as sharp as the screen shows them. A picture theme without them,
// or a container that cannot be read (reported once the draw needs it), shows the built-in ones.
QImage TfStreichholz::LoadCovered() const {
    try {
        return LoadGfxJPEG(QStringLiteral("holz.gfx"), "holzv", SharpScale(devicePixelRatioF()));
    } catch (const std::exception&) {
        return QImage(QStringLiteral(":/pictures/lot_hidden.png"));
    }
}

QImage TfStreichholz::LoadMatchstick(bool longOne) {
    try {
        return LoadGfxJPEG(QStringLiteral("holz.gfx"), longOne ? "holzw" : "holzl",
                           SharpScale(devicePixelRatioF()));
    } catch (const std::exception& error) {
        // Without the pictures the draw still decides: the covered picture carries the message.
        LngFileErrorDlg(error, GfxErrorFile(error));
        return covered_.isNull() ? QImage(400, 300, QImage::Format_RGB32) : covered_;
    }
}

void TfStreichholz::DrawMessage(QImage& picture, const QString& winner) {
    if (picture.isNull()) {
        picture = QImage(400, 300, QImage::Format_RGB32);
        picture.fill(QColor(90, 60, 40));
    }
    QPainter painter(&picture);
    const QString text = FormatText(lng->GetString(QStringLiteral("msgfirstmove")), {winner});
    // The message is part of the picture: a screen reader reads it as the picture's name.
    iStreichholz->setAccessibleName(text);
    const QRect area(10, 5, int(picture.deviceIndependentSize().width()) - 20, 45);
    constexpr int flags = Qt::AlignHCenter | Qt::TextWordWrap;
    QFont font(QStringLiteral("Tahoma"));
    font.setBold(true);
    // 12 points on the 96 dpi screen the pictures are made for; a long name makes the German
    // message wrap to three lines, so the font shrinks until the whole message fits the dark top.
    for (int size = 16; size >= kMinMessagePixels; --size) {
        font.setPixelSize(size);
        painter.setFont(font);
        if (painter.boundingRect(area, flags, text).height() <= area.height()) break;
    }
    painter.setPen(Qt::white);
    painter.drawText(area, flags, text);
}

void TfStreichholz::bRightClick() {
    // The buttons stay off from here: the pause below pumps messages, and a second click (or the
    // online draw showing by itself) must not draw again.
    if (!bLeft->isEnabled()) return;
    bLeft->setEnabled(false);
    bRight->setEnabled(false);
    if (Drawn != 0) {
        GuessedRight = Drawn == 2;
    } else {
        TRandom& random = SharedRandom();
        random.Reseed();
        GuessedRight = random.Random(2) == 0;
    }
    QImage picture = LoadMatchstick(GuessedRight);
    DrawMessage(picture, GuessedRight ? PlayerTwoName : PlayerOneName);
    iStreichholz->setPixmap(QPixmap::fromImage(picture));
    iStreichholz->repaint();
    // The buttons are off now: the focus goes to the picture, so a screen reader reads who begins.
    iStreichholz->setFocusPolicy(Qt::StrongFocus);
    iStreichholz->setFocus();
    WaitFor(kResultPause);
    DrawDone = true;
    accept();
}

void TfStreichholz::showEvent(QShowEvent* event) {
    // Only now is the screen known, and with it the sharpness of its pictures.
    if (!DrawDone) {
        covered_ = LoadCovered();
        iStreichholz->setPixmap(QPixmap::fromImage(covered_));
        if (Drawn != 0) QTimer::singleShot(kOnlineReveal, this, &TfStreichholz::bRightClick);
    }
    // The caller fills in the names after construction: the header grows to the lines they need.
    const int width = std::max(403, sizeHint().width());
    setFixedSize(width, std::max(431, layout()->heightForWidth(width)));
    QDialog::showEvent(event);
}

void TfStreichholz::done(int result) {
    if (DrawDone) QDialog::done(result);
}

int DrawFirstPlayer(QWidget* parent, const QString& language, const QString& name1, const QString& name2,
                    int drawn) {
    TfStreichholz lot(parent);
    lot.lng->SetLanguage(language);
    lot.PlayerOneName = name1;
    lot.PlayerTwoName = name2;
    lot.lDesc->setText(FormatText(lot.lDesc->text(), {name2, name1}));
    lot.Drawn = drawn;
    lot.exec();
    return lot.GuessedRight ? 2 : 1;
}

} // namespace kelani
