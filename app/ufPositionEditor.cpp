#include "app/ufPositionEditor.h"

#include "components/MultiLanguage.h"
#include "components/uDialogHeader.h"
#include "components/uFormat.h"
#include "records/uPositionText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kelani {

namespace {

// Stones per pit a game may start with.
constexpr int kLeastStones = 3;
constexpr int kMostStones = 8;

} // namespace

TfPositionEditor::TfPositionEditor(QWidget* parent, const QString& language, const TFeld& start)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TfPositionEditor"));
    cbVariante = Named(new QComboBox(this), "cbVariante");
    for (int v = 1; v <= 6; ++v) cbVariante->addItem(QString::number(v));
    cbStirnmulde = Named(new QCheckBox(this), "cbStirnmulde");
    seStones = Named(new QSpinBox(this), "seStones");
    seStones->setRange(kLeastStones, kMostStones);
    cbPlayer = Named(new QComboBox(this), "cbPlayer");
    cbModus = Named(new QComboBox(this), "cbModus");
    cbLevel = Named(new QComboBox(this), "cbLevel");
    auto* settings = new QGridLayout;
    // Each label names its field for a screen reader too (a combo box on Linux only that way).
    const auto row = [&](int r, int c, const char* name, QWidget* field) {
        auto* label = Named(new QLabel(this), name);
        label->setBuddy(field);
        settings->addWidget(label, r, c);
        settings->addWidget(field, r, c + 1);
    };
    row(0, 0, "lVariante", cbVariante);
    row(0, 2, "lStones", seStones);
    row(1, 0, "lPlayer", cbPlayer);
    settings->addWidget(cbStirnmulde, 1, 2, 1, 2);
    row(2, 0, "lModus", cbModus);
    row(2, 2, "lLevel", cbLevel);

    // The board as the game shows it: player 2's pits right to left above player 1's, each head
    // pit at the end its owner sows into.
    auto* board = new QGridLayout;
    for (int place = 1; place <= kPlaces; ++place) {
        auto* spin = new QSpinBox(this);
        spin->setObjectName(QStringLiteral("sePlace%1").arg(place));
        spin->setRange(0, 12 * kMostStones);
        sePlace[static_cast<size_t>(place)] = spin;
        connect(spin, &QSpinBox::valueChanged, this, &TfPositionEditor::Check);
    }
    for (int pit = 1; pit <= 6; ++pit) {
        board->addWidget(sePlace[static_cast<size_t>(pit)], 2, pit);
        board->addWidget(sePlace[static_cast<size_t>(14 - pit)], 0, pit);
    }
    board->addWidget(sePlace[14], 1, 0);
    board->addWidget(sePlace[7], 1, 7);

    ePosition = Named(new QLineEdit(this), "ePosition");
    bImport = Named(new QPushButton(this), "bImport");
    auto* text = new QHBoxLayout;
    text->addWidget(ePosition, 1);
    text->addWidget(bImport);
    lCheck = Named(new QLabel(this), "lCheck");
    lCheck->setWordWrap(true);
    bbOK = Named(new QPushButton(this), "bbOK");
    bbOK->setDefault(true);
    bbCancel = Named(new QPushButton(this), "bbCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bbOK);
    buttons->addWidget(bbCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(settings);
    layout->addLayout(board);
    layout->addLayout(text);
    layout->addWidget(lCheck);
    layout->addLayout(buttons);

    lng = new TMultiLanguage(this);
    lng->setObjectName(QStringLiteral("lng"));
    lng->LoadScript(objectName());
    lng->SetLanguage(language);
    cbPlayer->addItems({Text("player1"), Text("player2")});
    cbModus->addItems({Text("modus0"), Text("modus1"), Text("modus2")});
    cbLevel->addItems({Text("level1"), Text("level2"), Text("level3"), Text("level4")});
    cbLevel->setCurrentIndex(3);
    NamePlaces();

    connect(cbVariante, &QComboBox::currentIndexChanged, this, &TfPositionEditor::Check);
    connect(cbPlayer, &QComboBox::currentIndexChanged, this, &TfPositionEditor::Check);
    connect(cbStirnmulde, &QCheckBox::toggled, this, &TfPositionEditor::Check);
    connect(seStones, &QSpinBox::valueChanged, this, &TfPositionEditor::Check);
    connect(bImport, &QPushButton::clicked, this, &TfPositionEditor::ImportText);
    connect(ePosition, &QLineEdit::returnPressed, this, &TfPositionEditor::ImportText);
    connect(bbOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(bbCancel, &QPushButton::clicked, this, &QDialog::reject);
    SetPosition(start);
}

// The board's fields are named as the board names its pits: owner, then pit or head pit.
void TfPositionEditor::NamePlaces() {
    for (int place = 1; place <= kPlaces; ++place) {
        const QString owner = Text(OwnerOf(place) == 1 ? "player1" : "player2");
        sePlace[static_cast<size_t>(place)]->setAccessibleName(
            IsStirnmulde(place) ? FormatText(Text("a11yhead"), {owner})
                                : FormatText(Text("a11ypit"), {owner, QString::number(PitNumber(place))}));
    }
}

QString TfPositionEditor::Text(const char* key) const {
    return lng->GetString(QLatin1String(key));
}

int TfPositionEditor::Modus() const {
    return cbModus->currentIndex();
}

int TfPositionEditor::Level() const {
    return cbLevel->currentIndex() + 1;
}

void TfPositionEditor::SetPosition(const TFeld& feld) {
    filling_ = true;
    cbVariante->setCurrentIndex(feld.Variante() - 1);
    cbStirnmulde->setChecked(feld.UseStirnmulde());
    seStones->setValue(feld.SteineProMulde());
    cbPlayer->setCurrentIndex(feld.AktSpieler() == 2 ? 1 : 0);
    for (int place = 1; place <= kPlaces; ++place)
        sePlace[static_cast<size_t>(place)]->setValue(feld.Mulde(place));
    filling_ = false;
    Check();
}

TFeld TfPositionEditor::Controls() const {
    TFeld feld;
    feld.SetSteineProMulde(seStones->value());
    feld.SetUseStirnmulde(cbStirnmulde->isChecked());
    feld.SetVariante(cbVariante->currentIndex() + 1);
    feld.Reset();
    feld.SetAktSpieler(cbPlayer->currentIndex() + 1);
    for (int place = 1; place <= kPlaces; ++place)
        feld.SetMulde(place, sePlace[static_cast<size_t>(place)]->value());
    return feld;
}

std::optional<TFeld> TfPositionEditor::Position(QString& problem) const {
    const TFeld feld = Controls();
    int total = 0;
    for (int place = 1; place <= kPlaces; ++place) total += feld.Mulde(place);
    const int wanted = 12 * feld.SteineProMulde();
    if (total != wanted) {
        problem =
            FormatText(Text("msgtotal"), {QString::number(total), QString::number(feld.SteineProMulde()),
                                          QString::number(wanted)});
        return std::nullopt;
    }
    if (feld.IsGameOver()) {
        problem = Text("msgover");
        return std::nullopt;
    }
    if (feld.HasNoLegalMove()) {
        problem = Text("msgnomove");
        return std::nullopt;
    }
    return feld;
}

void TfPositionEditor::Check() {
    if (filling_) return;
    QString problem;
    const std::optional<TFeld> feld = Position(problem);
    if (feld) {
        const QString text = QString::fromStdString(PositionText(*feld));
        if (!ePosition->hasFocus()) ePosition->setText(text);
    }
    lCheck->setText(feld ? Text("msgsound") : problem);
    bbOK->setEnabled(feld.has_value());
}

bool TfPositionEditor::ImportText() {
    try {
        const TFeld feld = ParsePosition(ePosition->text().trimmed().toStdString());
        if (feld.SteineProMulde() < kLeastStones || feld.SteineProMulde() > kMostStones ||
            feld.ZuegeInRunde() != 0)
            throw EPositionText("a game starts with 3 to 8 stones a pit, at the first move of a turn");
        ePosition->clearFocus();
        SetPosition(feld);
        return true;
    } catch (const EPositionText&) {
        lCheck->setText(Text("msgnotext"));
        bbOK->setEnabled(false);
        return false;
    }
}

} // namespace kelani
