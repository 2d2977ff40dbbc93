#pragma once
// Open and save file dialogs with the few properties the game uses (title, filter, initial folder,
// chosen file) and a test seam: a test can decide what the next dialog answers without a window.
#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace kelani {

class TFileDialog : public QObject {
    Q_OBJECT
    // The window title, reachable by the language scripts ("odLoadGame.Title").
    Q_PROPERTY(QString title MEMBER Title)
public:
    enum class TKind { Open, Save };

    TFileDialog(TKind kind, QObject* parent = nullptr);

    QString Title;
    // Windows style "Description (*.ext)|*.ext" filter.
    QString Filter;
    QString InitialDir;
    QString FileName;
    // Save dialogs: the extension every chosen name ends with; a name ending otherwise gets it
    // appended ("x.txt" becomes "x.txt.kel").
    QString DefaultExt;
    // Save dialogs: asked with the final name (extension included) before an existing file is
    // replaced; false opens the dialog again on that name, for another name or a cancel. Without
    // it an existing file is replaced.
    std::function<bool(const QString& fileName)> ConfirmOverwrite;

    // Shows the dialog modally over `owner`; true when a file was chosen (then in FileName).
    bool Execute(QWidget* owner);

    // Test seam: the next Execute returns at once, choosing `file`, or cancelling for an empty
    // text. Answers queue up in order. Each Execute that used an answer is counted.
    static void SetNextFileForTests(const QString& file);
    static int AnsweredForTests();
    // The folder the last Execute started in (what a user would have seen).
    static QString LastInitialDirForTests();

private:
    QString QtFilter() const;
    QString Ask(QWidget* owner, const QString& proposed) const;
    QString AskFileName(QWidget* owner, const QString& proposed) const;
    QString WithDefaultExt(const QString& fileName) const;

    TKind kind_;
};

} // namespace kelani
