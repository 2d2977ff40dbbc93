#pragma once
// The new-game dialog: the two players' names, e-mail addresses and countries, mode, level,
// variant, stones per pit and the head-pit option. It fills itself from section "newgame" of
// settings.ini, checks the entries on OK and stores them back; the main window then reads the
// fields and starts the game.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kelani {

class TMultiLanguage;
class TRadioGroup;

class TfNewGame : public QDialog {
    Q_OBJECT
public:
    explicit TfNewGame(QWidget* parent = nullptr);

    TMultiLanguage* lng;

    QLineEdit* eSp1;
    QLineEdit* eSp2;
    QLineEdit* eMail1;
    QLineEdit* eMail2;
    QComboBox* cbLand1;
    QComboBox* cbLand2;
    TRadioGroup* rgModus;
    TRadioGroup* rgDiff;
    TRadioGroup* rgVarianten;
    QSpinBox* seStoneCount;
    QCheckBox* cbuseStrinmulde;
    QPushButton* bbOK;
    QPushButton* bbCancel;

    // Fills the dialog from the settings, shows it modally; true when confirmed with OK.
    bool ShowDialog();

    // The key of the country at `index` of the current language's list, in lower case and not
    // trimmed ("jordanien " keeps its blank); "" outside the list.
    QString LandKey(int index) const;

    // Handlers, also run when the dialog is filled so the controls agree with the loaded choices.
    void rgVariantenClick();
    void rgModusClick();

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPlayers(QWidget* box);
    void FillCountries();
    void ReadSettings();
    bool CheckEntries();
    bool WriteSettings();

    QStringList Lands() const;
};

// Whether the name fields accept a typed character: letters a to z in either case and the
// Windows-1252 letters ä, ö, ü, ß (the capital umlauts are refused), and backspace.
bool NameCharAllowed(QChar c);

} // namespace kelani
