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

QString TFileDialog::AskSaveName(QWidget* owner) const {
    QFileDialog dialog(owner, Title, InitialDir, QtFilter());
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

bool TFileDialog::Execute(QWidget* owner) {
    gLastInitialDir = InitialDir;
    QString chosen;
    if (!gAnswers.isEmpty()) {
        chosen = gAnswers.dequeue();
        ++gAnswered;
    } else if (kind_ == TKind::Open) {
        chosen = QFileDialog::getOpenFileName(owner, Title, InitialDir, QtFilter());
    } else {
        chosen = AskSaveName(owner);
    }
    if (chosen.isEmpty()) return false;
    if (kind_ == TKind::Save) {
        chosen = WithDefaultExt(chosen);
        if (QFileInfo::exists(chosen) && ConfirmOverwrite && !ConfirmOverwrite(chosen)) return false;
    }
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
