#include "app/ufNewGame.h"

#include "app/lngDialogs.h"
#include "components/MultiLanguage.h"
#include "components/uDialogHeader.h"
#include "components/uFolders.h"
#include "components/uRadioGroup.h"
#include "components/uTextConversion.h"
#include "records/uTHistory.h"
#include "settings/uIniFile.h"
#include "settings/uTSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QVBoxLayout>

#include <memory>

namespace kelani {
namespace {

constexpr int kMaxNameLength = 10;
// The longest address mail systems deliver to; the highscore server takes at least as much.
constexpr int kMaxMailLength = 254;
constexpr int kMinNameLength = 3;
constexpr int kVariant5Index = 1;

// A stored index outside the list falls back to the first entry.
void SelectStored(QComboBox* box, int index) {
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0);
}

// Of the part of `after` that replaced part of `before`, only what a name may hold stays; the
// unchanged head and tail are kept as they were (a stored "Spieler1" keeps its digit). `cursor`
// ends behind the kept insertion.
QString KeepNameChars(const QString& before, const QString& after, int& cursor) {
    qsizetype head = 0, tail = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    QString kept;
    for (QChar c : after.mid(head, after.size() - head - tail))
        if (c.isPrint() && NameCharAllowed(c)) kept += c;
    cursor = int(head + kept.size());
    return after.left(head) + kept + after.right(tail);
}

// Pasted, dropped and input-method text reaches the field without key presses: it passes the
// same filter as typed characters once the field has taken it.
void FilterNameEdits(QLineEdit* field) {
    auto before = std::make_shared<QString>(field->text());
    // A change made by the player is announced before the change of text, so `before` still
    // holds the text the change started from.
    QObject::connect(field, &QLineEdit::textEdited, field, [field, before](const QString& after) {
        int cursor = 0;
        const QString kept = KeepNameChars(*before, after, cursor);
        if (kept == after) return;
        field->setText(kept);
        field->setCursorPosition(cursor);
    });
    // After a correction the field still announces the uncorrected change: read the field itself.
    QObject::connect(field, &QLineEdit::textChanged, field, [field, before] { *before = field->text(); });
}

} // namespace

bool NameCharAllowed(QChar c) {
    const QChar lower = (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ? c.toLower() : c;
    if (lower == QChar(8)) return true;
    if (lower >= QLatin1Char('a') && lower <= QLatin1Char('z')) return true;
    return lower == QChar(0xE4) || lower == QChar(0xF6) || lower == QChar(0xFC) || lower == QChar(0xDF);
}

TfNewGame::TfNewGame(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfNewGame"));
    setWindowTitle(QStringLiteral("KELANI (R) Freeware Nr. 2 - neues Spiel"));

    const TDialogHeader header = MakeDialogHeader(this, QStringLiteral(":/pictures/header_newgame.png"),
                                                  QStringLiteral("Einstellungen f\u00FCr das neue Spiel:"));
    auto* players = new QWidget(this);
    BuildPlayers(players);

    rgModus = new TRadioGroup(QStringLiteral("rgModus"), this);
    rgDiff = new TRadioGroup(QStringLiteral("rgDiff"), this);
    rgVarianten = new TRadioGroup(QStringLiteral("rgVarianten"), this);
    rgModus->setTitle(QStringLiteral(" Modus "));
    rgModus->SetItems({QStringLiteral("Mensch - Mensch"), QStringLiteral("Computer - Mensch"),
                       QStringLiteral("Computer - Computer")});
    rgDiff->setTitle(QStringLiteral(" Schwierigkeitsgrad "));
    rgDiff->SetItems({QStringLiteral("Anf\u00E4nger"), QStringLiteral("Mittelm\u00E4\u00DFig"),
                      QStringLiteral("Profi"), QStringLiteral("Meister")});
    rgVarianten->setTitle(QStringLiteral(" Spielvarianten "));
    rgVarianten->SetItems(
        {QStringLiteral("Variante 4"), QStringLiteral("Variante 5"), QStringLiteral("Variante 6")});
    connect(rgModus, &TRadioGroup::Click, this, &TfNewGame::rgModusClick);
    connect(rgVarianten, &TRadioGroup::Click, this, &TfNewGame::rgVariantenClick);
    auto* groups = new QHBoxLayout;
    for (TRadioGroup* group : {rgModus, rgDiff, rgVarianten}) groups->addWidget(group);

    auto* lStoneCount = Named(new QLabel(QStringLiteral("Anzahl der Steine:"), this), "lStoneCount");
    seStoneCount = Named(new QSpinBox(this), "seStoneCount");
    seStoneCount->setRange(3, 8);
    seStoneCount->setValue(4);
    // The count is only stepped with the buttons, never typed.
    seStoneCount->findChild<QLineEdit*>()->setReadOnly(true);
    cbuseStrinmulde = Named(new QCheckBox(QStringLiteral("Stirnmulde benutzen"), this), "cbuseStrinmulde");
    cbuseStrinmulde->setChecked(true);
    auto* stones = new QHBoxLayout;
    stones->addWidget(lStoneCount);
    stones->addWidget(seStoneCount);
    stones->addSpacing(20);
    stones->addWidget(cbuseStrinmulde);
    stones->addStretch();

    bbOK = Named(new QPushButton(QStringLiteral("OK"), this), "bbOK");
    bbCancel = Named(new QPushButton(QStringLiteral("Abbrechen"), this), "bbCancel");
    bbOK->setDefault(true);
    connect(bbOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(bbCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bbOK);
    buttons->addWidget(bbCancel);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 4, 8, 8);
    body->addWidget(players);
    body->addLayout(groups);
    body->addLayout(stones);
    body->addStretch();
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(header.Panel);
    layout->addLayout(body, 1);

    lng = new TMultiLanguage(this);
    lng->setObjectName(QStringLiteral("lng"));
    lng->LoadScript(objectName());
}

void TfNewGame::BuildPlayers(QWidget* box) {
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(Named(new QLabel(QStringLiteral("Name"), box), "lName"), 0, 0);
    grid->addWidget(Named(new QLabel(QStringLiteral("eMail"), box), "lmail"), 0, 1);
    grid->addWidget(Named(new QLabel(QStringLiteral("Land"), box), "lLand"), 0, 2);
    // Created row by row: the tab key follows the order of creation, as the rows are read.
    eSp1 = Named(new QLineEdit(box), "eSp1");
    eMail1 = Named(new QLineEdit(box), "eMail1");
    cbLand1 = Named(new QComboBox(box), "cbLand1");
    eSp2 = Named(new QLineEdit(box), "eSp2");
    eMail2 = Named(new QLineEdit(box), "eMail2");
    cbLand2 = Named(new QComboBox(box), "cbLand2");
    for (QLineEdit* name : {eSp1, eSp2}) {
        name->setMaxLength(kMaxNameLength);
        name->installEventFilter(this);
        FilterNameEdits(name);
    }
    for (QLineEdit* mail : {eMail1, eMail2}) mail->setMaxLength(kMaxMailLength);
    // A screen reader on Linux names a combo box by its label only, so each country list has one
    // of its own ("Land von Spieler 1"), never shown: on the screen the column's head names both.
    for (auto [name, land] : {std::pair{"lLand1", cbLand1}, std::pair{"lLand2", cbLand2}}) {
        auto* label = Named(new QLabel(box), name);
        label->setBuddy(land);
        label->hide();
    }
    grid->addWidget(eSp1, 1, 0);
    grid->addWidget(eMail1, 1, 1);
    grid->addWidget(cbLand1, 1, 2);
    grid->addWidget(eSp2, 2, 0);
    grid->addWidget(eMail2, 2, 1);
    grid->addWidget(cbLand2, 2, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
}

bool TfNewGame::eventFilter(QObject* watched, QEvent* event) {
    // Typed characters of the name fields: only letters arrive; keys without text (cursor keys,
    // delete) and shortcuts pass as usual.
    if (event->type() == QEvent::KeyPress && (watched == eSp1 || watched == eSp2)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() == 1 && text[0].isPrint() && !NameCharAllowed(text[0])) return true;
    }
    return QDialog::eventFilter(watched, event);
}

QStringList TfNewGame::Lands() const {
    return lng->GetString(QStringLiteral("lands"))
        .split(QRegularExpression(QStringLiteral("\r\n|\r|\n")), Qt::SkipEmptyParts);
}

QString TfNewGame::LandKey(int index) const {
    const QStringList lands = Lands();
    if (index < 0 || index >= lands.size()) return {};
    return lands[index].section(QLatin1Char('='), 0, 0).toLower();
}

void TfNewGame::FillCountries() {
    QStringList names;
    for (const QString& line : Lands()) names << line.section(QLatin1Char('='), 1);
    for (QComboBox* box : {cbLand1, cbLand2}) {
        box->clear();
        box->addItems(names);
    }
}

void TfNewGame::ReadSettings() {
    const std::string player = ToCp1252(lng->GetString(QStringLiteral("player")));
    TNewGameChoices defaults;
    defaults.Name1 = player + '1';
    defaults.Name2 = player + '2';
    const TNewGameChoices c = TKelaniSettings(SettingsFolder()).NewGameChoices(defaults);
    rgDiff->SetItemIndex(c.Difficulty);
    rgModus->SetItemIndex(c.Mode);
    rgVarianten->SetItemIndex(c.Variant - 3);
    seStoneCount->setValue(c.Stones);
    cbuseStrinmulde->setChecked(c.UseHead);
    eSp1->setText(FromCp1252(c.Name1));
    eSp2->setText(FromCp1252(c.Name2));
    eMail1->setText(FromCp1252(c.Mail1));
    eMail2->setText(FromCp1252(c.Mail2));
    SelectStored(cbLand1, c.Land1);
    SelectStored(cbLand2, c.Land2);
}

bool TfNewGame::ShowDialog() {
    FillCountries();
    ReadSettings();
    rgVariantenClick();
    rgModusClick();
    setFixedSize(sizeHint().expandedTo(QSize(436, 394)));
    if (parentWidget()) move(parentWidget()->geometry().center() - rect().center());
    return exec() == QDialog::Accepted;
}

void TfNewGame::rgVariantenClick() {
    const int minimum = rgVarianten->ItemIndex() == kVariant5Index ? 4 : 3;
    if (minimum == seStoneCount->minimum()) return;
    seStoneCount->setMinimum(minimum);
    seStoneCount->setValue(minimum);
}

void TfNewGame::rgModusClick() {
    const int mode = rgModus->ItemIndex();
    if (mode > kModeHumans) eSp1->setText(QStringLiteral("Computer 1"));
    for (QWidget* field :
         {static_cast<QWidget*>(eSp1), static_cast<QWidget*>(eMail1), static_cast<QWidget*>(cbLand1)})
        field->setEnabled(mode == kModeHumans);
    if (mode == kModeComputers) eSp2->setText(QStringLiteral("Computer 2"));
    for (QWidget* field :
         {static_cast<QWidget*>(eSp2), static_cast<QWidget*>(eMail2), static_cast<QWidget*>(cbLand2)})
        field->setEnabled(mode != kModeComputers);
}

bool TfNewGame::CheckEntries() {
    if (eSp1->text().size() < kMinNameLength || eSp2->text().size() < kMinNameLength) {
        LngMessageDlg(lng->GetString(QStringLiteral("msgerrorname")), mtError, mbOK);
        return false;
    }
    const int mode = rgModus->ItemIndex();
    const bool missing1 = mode == kModeHumans && eMail1->text().isEmpty();
    const bool missing2 = mode != kModeComputers && eMail2->text().isEmpty();
    if (missing1 || missing2)
        return LngMessageDlg(lng->GetString(QStringLiteral("msgnoemail")), mtWarning, mbYesNo) == mrYes;
    return true;
}

bool TfNewGame::WriteSettings() {
    TNewGameChoices c;
    c.Difficulty = rgDiff->ItemIndex();
    c.Mode = rgModus->ItemIndex();
    c.Variant = rgVarianten->ItemIndex() + 3;
    c.Stones = seStoneCount->value();
    c.UseHead = cbuseStrinmulde->isChecked();
    c.Name1 = ToCp1252(eSp1->text());
    c.Name2 = ToCp1252(eSp2->text());
    c.Mail1 = ToCp1252(eMail1->text());
    c.Mail2 = ToCp1252(eMail2->text());
    c.Land1 = cbLand1->currentIndex();
    c.Land2 = cbLand2->currentIndex();
    try {
        TKelaniSettings(SettingsFolder()).SaveNewGameChoices(c);
    } catch (const EIniFileException& error) {
        LngErrorDlg(error);
        return false;
    }
    return true;
}

void TfNewGame::done(int result) {
    if (result == QDialog::Accepted && !(CheckEntries() && WriteSettings())) return;
    QDialog::done(result);
}

} // namespace kelani
