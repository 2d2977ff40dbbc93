#pragma once
// The first-start dialog: "Deutsch / German" or "Englisch / English". It cannot be closed without
// a choice, and every close (also a refused one) writes the choice as "language" of section
// "settings" in settings.ini, so an empty value makes the next start ask again.
#include <QDialog>
#include <string>

class QPushButton;

namespace kelani {

class TfLanguage : public QDialog {
    Q_OBJECT
public:
    // `settingsFolder` is the folder of settings.ini (the program passes kelani::DataFolder()).
    explicit TfLanguage(std::string settingsFolder, QWidget* parent = nullptr);

    // "german", "english", or "" while no button was pressed.
    const QString& ChosenLanguage() const { return chosenLanguage_; }

    void done(int result) override;

private:
    void Choose(const QString& language);
    void StoreChoice();

    std::string settingsFolder_;
    QString chosenLanguage_;
    QPushButton* bGerman_ = nullptr;
    QPushButton* bEnglish_ = nullptr;
};

} // namespace kelani
