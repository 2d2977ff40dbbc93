#pragma once
// TfPositionEditor: sets up any position of any rule set, to play or analyse from there. The
// stones of every place, the player to move, the rule set, the head-pit option and the stones per
// pit it started with; or the position text, typed or pasted, and shown as the places change. The
// stones must add up to twelve times the stones per pit, as in a game, and the player to move must
// have a move: the dialog says what is wrong and keeps OK disabled until the position is sound.
#include "game/uTFeld.h"

#include <QDialog>
#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kelani {

class TMultiLanguage;

class TfPositionEditor : public QDialog {
    Q_OBJECT
public:
    // Texts in `language` ("german", "english"); starts with `start` (a game's position).
    TfPositionEditor(QWidget* parent, const QString& language, const TFeld& start);

    void SetPosition(const TFeld& feld);
    // The position the controls describe when it is sound, with the reason in `problem` when not.
    std::optional<TFeld> Position(QString& problem) const;
    // Takes the position text of ePosition; false, with the reason shown, when it is none.
    bool ImportText();
    // Who plays the set-up game: 0 human-human, 1 computer (player 1)-human, 2 computers.
    int Modus() const;
    int Level() const;

    TMultiLanguage* lng;
    QComboBox* cbVariante;
    QCheckBox* cbStirnmulde;
    QSpinBox* seStones;
    QComboBox* cbPlayer;
    QComboBox* cbModus;
    QComboBox* cbLevel;
    std::array<QSpinBox*, 15> sePlace{}; // places 1..14
    QLineEdit* ePosition;
    QPushButton* bImport;
    QLabel* lCheck;
    QPushButton* bbOK;
    QPushButton* bbCancel;

private:
    QString Text(const char* key) const;
    void NamePlaces();
    // Shows the text of a sound position, or why it is not; OK follows.
    void Check();
    TFeld Controls() const;

    bool filling_ = false;
};

} // namespace kelani
