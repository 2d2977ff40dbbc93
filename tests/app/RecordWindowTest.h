#pragma once
// Set-up of the record window tests: a temporary program folder for settings.ini and the
// highscore files, pre-answered message boxes, recorded shell opens.
#include "app/lngDialogs.h"
#include "components/uFolders.h"
#include "components/uPrintDialog.h"
#include "components/uShellOpen.h"
#include "tests/support/TestApp.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace kelani::test {

class RecordWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(folder_.isValid());
        SetProgramFolderForTests(folder_.path());
        ResetMessageSeam();
        ResetPrintSeam();
        RecordShellOpens(true);
        SetDialogLanguage(QStringLiteral("german"));
    }
    void TearDown() override {
        RecordShellOpens(false);
        ResetPrintSeam();
        ResetMessageSeam();
        SetProgramFolderForTests(QString());
    }
    QString FilePath(const QString& name) const { return folder_.filePath(name); }
    std::string File(const char* name) const { return FilePath(QLatin1String(name)).toStdString(); }

private:
    QTemporaryDir folder_;
};

// Output of a poppler tool on a PDF ("pdftotext", "pdfinfo"); empty when it is not installed.
inline QString PdfTool(const QString& tool, const QString& pdf) {
    QProcess process;
    const QStringList args = tool == QLatin1String("pdftotext")
                                 ? QStringList{QStringLiteral("-layout"), pdf, QStringLiteral("-")}
                                 : QStringList{pdf};
    process.start(tool, args);
    if (!process.waitForFinished(30000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// With KELANI_REVIEW_DIR set, keeps a copy of the PDF there for a person to look at.
inline void KeepForReview(const QString& pdf, const QString& name) {
    const QString folder = qEnvironmentVariable("KELANI_REVIEW_DIR");
    if (folder.isEmpty()) return;
    QFile::remove(folder + QLatin1Char('/') + name);
    QFile::copy(pdf, folder + QLatin1Char('/') + name);
}

// How many pictures each page of a PDF holds, as pdfimages lists them (page 1 first; empty when
// the tool is not installed).
inline std::vector<int> PdfPicturesPerPage(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    if (!process.waitForFinished(30000)) return {};
    std::vector<int> counts;
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (qsizetype i = 2; i < lines.size(); ++i) { // after the two heading lines
        const int page = lines[i].section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty).toInt();
        if (page < 1) continue;
        if (counts.size() < static_cast<size_t>(page)) counts.resize(static_cast<size_t>(page));
        ++counts[static_cast<size_t>(page - 1)];
    }
    return counts;
}

inline int PdfPages(const QString& pdf) {
    const QString info = PdfTool(QStringLiteral("pdfinfo"), pdf);
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:"))) return line.mid(6).trimmed().toInt();
    return -1;
}

} // namespace kelani::test
