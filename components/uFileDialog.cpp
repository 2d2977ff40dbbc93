#include "components/uFileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLocale>
#include <QQueue>
#include <QScreen>
#include <QTreeView>
#include <algorithm>

namespace kelani {
namespace {

QQueue<QString> gAnswers;
int gAnswered = 0;
QString gLastInitialDir;

// The columns of the file list.
constexpr int kSizeColumn = 1;
constexpr int kDateColumn = 3;

// The file list writes sizes and dates in the desktop's locale; in the game they follow its
// language, the default locale.
class TLocalFiles : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files || role != Qt::DisplayRole) return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        if (index.column() == kDateColumn)
            return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        if (index.column() == kSizeColumn && !files->isDir(source))
            return QLocale().formattedDataSize(files->size(source));
        return QIdentityProxyModel::data(index, role);
    }
};

// Every column as wide as its head and contents (a name up to forty characters), and the dialog
// wide enough to show them all as far as the screen allows, so that no date or size is cut off.
void FitColumns(QFileDialog& dialog, QTreeView& list) {
    QHeaderView& head = *list.header();
    for (int column = 0; column < head.count(); ++column) list.resizeColumnToContents(column);
    head.resizeSection(0, std::min(head.sectionSize(0), 40 * list.fontMetrics().averageCharWidth()));
    const int missing = head.length() - list.viewport()->width();
    const int grow = std::min(missing, dialog.screen()->availableGeometry().width() - dialog.width());
    // It grows to both sides, staying centred over the window.
    if (grow > 0) dialog.setGeometry(dialog.geometry().adjusted(-grow / 2, 0, grow - grow / 2, 0));
}

// Qt's own dialog, so that it speaks the game's language (a desktop's dialog speaks the
// desktop's), with dates and sizes in that language and every column shown whole.
void InGameLanguage(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new TLocalFiles(&dialog));
    // Qt leaves the folder and file type lists apart from their labels, and a screen reader on
    // Linux names a combo box by its label only.
    for (auto [label, list] :
         {std::pair{"lookInLabel", "lookInCombo"}, std::pair{"fileTypeLabel", "fileTypeCombo"}})
        if (auto* named = dialog.findChild<QLabel*>(QLatin1String(label)))
            named->setBuddy(dialog.findChild<QWidget*>(QLatin1String(list)));
    auto* files = dialog.findChild<QFileSystemModel*>(QStringLiteral("qt_filesystem_model"));
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!files || !list) return;
    // Queued: the list has its width once the dialog is shown.
    QObject::connect(
        files, &QFileSystemModel::directoryLoaded, list, [&dialog, list] { FitColumns(dialog, *list); },
        Qt::QueuedConnection);
}

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
QString TFileDialog::AskFileName(QWidget* owner, const QString& proposed) const {
    QFileDialog dialog(owner, Title, proposed.isEmpty() ? InitialDir : proposed, QtFilter());
    InGameLanguage(dialog);
    if (kind_ == TKind::Open) {
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The dialog would ask about the name as typed; the question belongs to the final name,
        // which may differ by the extension, so it is asked once the name is final.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
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
    return AskFileName(owner, proposed);
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
