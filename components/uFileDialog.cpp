#include "components/uFileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QQueue>

namespace kelani {
namespace {

QQueue<QString> gAnswers;
int gAnswered = 0;
QString gLastInitialDir;

} // namespace

TFileDialog::TFileDialog(TKind kind, QObject* parent) : QObject(parent), kind_(kind) {}

QString TFileDialog::QtFilter() const {
    // "Kelani (*.kel)|*.kel" becomes "Kelani (*.kel)": Qt reads the patterns from the description.
    const QStringList parts = Filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) filters << parts[i];
    return filters.join(QStringLiteral(";;"));
}

// `proposed`, when set, is the name the dialog starts on, in its own folder.
QString TFileDialog::AskSaveName(QWidget* owner, const QString& proposed) const {
    QFileDialog dialog(owner, Title, proposed.isEmpty() ? InitialDir : proposed, QtFilter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The dialog would ask about the name as typed; the question belongs to the final name, which
    // may differ by the extension, so it is asked once the name is final.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString TFileDialog::WithDefaultExt(const QString& fileName) const {
    if (DefaultExt.isEmpty() || fileName.endsWith(QLatin1Char('.') + DefaultExt, Qt::CaseInsensitive))
        return fileName;
    return fileName + QLatin1Char('.') + DefaultExt;
}

QString TFileDialog::Ask(QWidget* owner, const QString& proposed) const {
    gLastInitialDir = InitialDir;
    if (!gAnswers.isEmpty()) {
        ++gAnswered;
        return gAnswers.dequeue();
    }
    if (kind_ == TKind::Open) return QFileDialog::getOpenFileName(owner, Title, InitialDir, QtFilter());
    return AskSaveName(owner, proposed);
}

bool TFileDialog::Execute(QWidget* owner) {
    QString chosen;
    // A file the player does not want replaced sends him back to the dialog, on the same name.
    do {
        chosen = Ask(owner, chosen);
        if (chosen.isEmpty()) return false;
        if (kind_ == TKind::Save) chosen = WithDefaultExt(chosen);
    } while (kind_ == TKind::Save && QFileInfo::exists(chosen) && ConfirmOverwrite &&
             !ConfirmOverwrite(chosen));
    FileName = chosen;
    return true;
}

void TFileDialog::SetNextFileForTests(const QString& file) {
    gAnswers.enqueue(file);
}
int TFileDialog::AnsweredForTests() {
    return gAnswered;
}
QString TFileDialog::LastInitialDirForTests() {
    return gLastInitialDir;
}

} // namespace kelani
