#pragma once
// TfHighscore: the local highscore table of one variant at a time, with the row of the result
// just achieved marked, its printout and the worldwide submission.
#include "records/uTHighscore.h"

#include <QDialog>
#include <QStringList>

class QPrinter;
class QPushButton;
class QScrollArea;

namespace kelani {

class TMultiLanguage;
class TRadioGroup;
class TSmallGrid;
class TWebPost;

class TfHighscore : public QDialog {
    Q_OBJECT
public:
    static QColor MarkColor() { return QColor(255, 128, 64); }

    // Texts in `language` ("german", "english").
    TfHighscore(QWidget* parent, const QString& language);
    ~TfHighscore() override;

    // The finished game's variant index (variant - 4; -1 before any game) and the row to mark
    // (the better new rank, counted from 1, or -1). Shows max(index, 0) and runs the variant change.
    void ShowGame(int variantIndex, int markRow);

    // The variant change: loads "hs<variant>.dat" of the shown variant into the grid.
    void rgVarianteClick();
    // Prints the shown table after the print dialog was confirmed.
    void bbPrintClick();
    // Sends all three tables to the worldwide highscore after a confirmation and sums up what the
    // server made of them; without a configured server it says how to set one.
    void bbnetHighscoreClick();

    TSmallGrid& Grid() { return *sgHighscore; }
    TWebPost& WebPost() { return *wp; }
    const THighscore& Table() const { return table_; }
    bool TableEmpty() const { return empty_; }

private:
    void BuildWindow();
    void SetUpGrid();
    // Loads the table of variant; false after telling the player why it could not be read.
    bool LoadTable(THighscore& table, int variant);
    void LoadShownVariant();
    int ShownVariant() const;
    void EnableControls(bool enabled);
    bool SendAllTables(THighscore& table);
    void ShowSendSummary(const QString& server);
    QString RefusalText() const;
    QString CellText(int col, int row) const;
    QColor CellColour(int row) const;

    TMultiLanguage* lng;
    TRadioGroup* rgVariante;
    QScrollArea* sbTable;
    TSmallGrid* sgHighscore;
    QPushButton* bbOK;
    QPushButton* bbPrint;
    QPushButton* bbnetHighscore;
    TWebPost* wp;

    THighscore table_;
    QStringList captions_; // the five column heads, read once when the dialog is made
    int gameVariantIndex_ = -1;
    int markRow_ = -1;
    QString sendFailure_; // why the last post failed, in the player's words
    bool empty_ = true;
};

// The printout of a highscore table: header and footer lines (three texts each, left to right),
// the title, and the grid scaled to the width of the page.
void PrintHighscore(QPrinter& printer, const TSmallGrid& grid, const QStringList& header,
                    const QStringList& footer, const QString& title);

// Points the table at the worldwide server, taking "server" and "viewurl" of the section
// "worldwide" of settings.ini when they are set; without "viewurl" the page shown is the server's
// first page. Without "server" none is configured: Server stays empty.
void ApplyWorldwideSettings(TCustomINetHighscore& table);

} // namespace kelani
