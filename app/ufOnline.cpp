#include "app/ufOnline.h"

#include "app/lngDialogs.h"
#include "components/MultiLanguage.h"
#include "components/uDialogHeader.h"
#include "components/uFormat.h"
#include "control/uTOnlineClient.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kelani {
namespace {

// The clock choices in the order of the list: none, per move, per player for the whole game.
const char* const kClocks[] = {"none", "move", "game"};
constexpr int kFirstVariant = 4;

} // namespace

TfOnline::TfOnline(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfOnline"));
    setWindowTitle(QStringLiteral("KELANI (R) Freeware Nr. 2"));
    const TDialogHeader header = MakeDialogHeader(this, QStringLiteral(":/pictures/header_newgame.png"),
                                                  QStringLiteral("Gegen einen Freund spielen"));

    auto* create = Named(new QGroupBox(QStringLiteral("Neues Spiel anlegen"), this), "gbCreate");
    cbVariant = Named(new QComboBox(create), "cbVariant");
    cbVariant->addItems({QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6")});
    seStones = Named(new QSpinBox(create), "seStones");
    seStones->setRange(3, 8);
    seStones->setValue(4);
    cbHead = Named(new QCheckBox(QStringLiteral("in die Stirnmulden s\u00E4en"), create), "cbHead");
    cbHead->setChecked(true);
    cbClock = Named(new QComboBox(create), "cbClock");
    cbClock->addItems({QStringLiteral("keine"), QStringLiteral("je Zug"), QStringLiteral("je Spiel")});
    seSeconds = Named(new QSpinBox(create), "seSeconds");
    seSeconds->setRange(10, 7200);
    seSeconds->setValue(60);
    bCreate = Named(new QPushButton(QStringLiteral("Anlegen"), create), "bCreate");
    auto* form = new QFormLayout(create);
    // Each label names its field for a screen reader too (a combo box on Linux only that way).
    const auto row = [&](const char* name, const QString& text, QWidget* field) {
        auto* label = Named(new QLabel(text, create), name);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    row("lVariant", QStringLiteral("Variante"), cbVariant);
    row("lStones", QStringLiteral("Steine pro Mulde"), seStones);
    form->addRow(QString(), cbHead);
    row("lClock", QStringLiteral("Bedenkzeit"), cbClock);
    row("lSeconds", QStringLiteral("Sekunden"), seSeconds);
    form->addRow(QString(), bCreate);

    auto* join = Named(new QGroupBox(QStringLiteral("Einem Spiel beitreten"), this), "gbJoin");
    eCode = Named(new QLineEdit(join), "eCode");
    eCode->setPlaceholderText(QStringLiteral("7KQ2M-XW4HT"));
    bJoin = Named(new QPushButton(QStringLiteral("Beitreten"), join), "bJoin");
    auto* joinRow = new QHBoxLayout(join);
    auto* codeLabel = Named(new QLabel(QStringLiteral("Co&de oder Link"), join), "lCode");
    codeLabel->setBuddy(eCode);
    joinRow->addWidget(codeLabel);
    joinRow->addWidget(eCode, 1);
    joinRow->addWidget(bJoin);

    lInvite = Named(new QLabel(this), "lInvite");
    lInvite->setTextFormat(Qt::PlainText);
    lInvite->setWordWrap(true);
    eLink = Named(new QLineEdit(this), "eLink");
    eLink->setReadOnly(true);
    bCopy = Named(new QPushButton(QStringLiteral("Kopieren"), this), "bCopy");
    auto* linkRow = new QHBoxLayout;
    linkRow->addWidget(eLink, 1);
    linkRow->addWidget(bCopy);
    lStatus = Named(new QLabel(this), "lStatus");
    lStatus->setWordWrap(true);
    bCancel = Named(new QPushButton(QStringLiteral("Abbrechen"), this), "bCancel");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->addWidget(header.Panel);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 0, 12, 0);
    body->addWidget(create);
    body->addWidget(join);
    body->addWidget(lInvite);
    body->addLayout(linkRow);
    body->addWidget(lStatus);
    body->addWidget(bCancel, 0, Qt::AlignRight);
    layout->addLayout(body);
    for (QWidget* w : {static_cast<QWidget*>(eLink), static_cast<QWidget*>(bCopy)}) w->hide();

    connect(bCreate, &QPushButton::clicked, this, &TfOnline::bCreateClick);
    connect(bJoin, &QPushButton::clicked, this, &TfOnline::bJoinClick);
    connect(eCode, &QLineEdit::returnPressed, this, &TfOnline::bJoinClick);
    connect(bCopy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(eLink->text()); });
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbClock, &QComboBox::currentIndexChanged, this, &TfOnline::FollowClock);
    FollowClock();

    lng = new TMultiLanguage(this);
    lng->setObjectName(QStringLiteral("lng"));
    lng->LoadScript(objectName());
}

void TfOnline::FollowClock() {
    seSeconds->setEnabled(cbClock->currentIndex() > 0);
}

void TfOnline::SetWaiting(const char* key) {
    for (QWidget* w : findChildren<QGroupBox*>()) w->setEnabled(false);
    lStatus->setText(lng->GetString(QLatin1String(key)));
}

void TfOnline::bCreateClick() {
    QJsonObject game{{QStringLiteral("variant"), kFirstVariant + cbVariant->currentIndex()},
                     {QStringLiteral("stones"), seStones->value()},
                     {QStringLiteral("head"), cbHead->isChecked() ? 1 : 0},
                     {QStringLiteral("clock"), QLatin1String(kClocks[cbClock->currentIndex()])},
                     {QStringLiteral("seconds"), cbClock->currentIndex() > 0 ? seSeconds->value() : 0}};
    SetWaiting("msgconnecting");
    if (OnCreate) OnCreate(game);
}

void TfOnline::bJoinClick() {
    const QString code = InviteCode(eCode->text());
    if (code.isEmpty()) {
        LngMessageDlg(lng->GetString(QStringLiteral("msgnocode")), mtWarning, mbOK);
        eCode->setFocus();
        return;
    }
    eCode->setText(code);
    SetWaiting("msgconnecting");
    if (OnJoin) OnJoin(code);
}

void TfOnline::ShowInvite(const QString& code) {
    lInvite->setText(FormatText(lng->GetString(QStringLiteral("msginvite")), {code}));
    eLink->setText(InviteLink(code));
    eLink->show();
    bCopy->show();
    lStatus->setText(lng->GetString(QStringLiteral("msgwaiting")));
}

void TfOnline::ShowFailure() {
    for (QWidget* w : findChildren<QGroupBox*>()) w->setEnabled(true);
    lStatus->clear();
}

void TfOnline::SetCode(const QString& code) {
    eCode->setText(code);
    eCode->setFocus();
}

} // namespace kelani
