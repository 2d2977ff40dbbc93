#include "components/uJwHelpPrinting.h"
#include "components/uPrintDialog.h"

#include "tests/support/TestApp.h"
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace kelani;
using kelani::test::App;

namespace {

// Text of a PDF as pdftotext reads it (empty when the tool is missing).
std::string PdfText(const QString& path) {
    const std::string command = "pdftotext -layout '" + path.toStdString() + "' - 2>/dev/null";
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

void PdfPrinter(QPrinter& printer, const QString& path) {
    QueuePrintAnswer(path);
    ASSERT_TRUE(ExecPrintDialog(printer, nullptr));
}

} // namespace

TEST(PrintMargins, AreOneAndAHalfCentimetresAtTheSidesAndTwoAtTopAndBottom) {
    App();
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(300);
    printer.setFullPage(true); // the printable area starts at the paper's edge
    const QRect area = PrintMargins(printer);
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    EXPECT_EQ(area.left(), 177); // round(1.5 * 300 / 2.54)
    EXPECT_EQ(area.top(), 236);  // round(2.0 * 300 / 2.54)
    EXPECT_EQ(area.x() + area.width(), paper.width() - 177);
    EXPECT_EQ(area.y() + area.height(), paper.height() - 236);
}

TEST(DrawAlignedText, PlacesTheTextAtTheAskedCorner) {
    App();
    QImage image(300, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(QFont(QStringLiteral("Liberation Sans"), 12));
    const QRect rect(10, 10, 280, 80);
    DrawAlignedText(painter, QStringLiteral("MMM"), rect, 2, 1); // bottom right
    painter.end();
    int minX = 300, minY = 100;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 300; ++x)
            if (qGray(image.pixel(x, y)) < 128) minX = std::min(minX, x), minY = std::min(minY, y);
    EXPECT_GT(minX, 200);
    EXPECT_GT(minY, 50);
}

TEST(PrinterPage, FirstLineStartsTwoHeaderLinesBelowTheMargin) {
    App();
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    PdfPrinter(printer, dir.filePath(QStringLiteral("page.pdf")));
    TJwPrinterPage page(printer);
    page.Kopfzeile.Visible = true;
    page.Kopfzeile.LeftText = QStringLiteral("KELANI");
    page.Fusszeile.Visible = true;
    page.Fusszeile.RightText = QStringLiteral("Fusszeile");
    ASSERT_TRUE(page.BeginDoc());
    const QRect margins = PrintMargins(printer);
    const int line = LineHeight(page.Canvas());
    EXPECT_EQ(page.Area.top(), margins.top() + 2 * line);
    EXPECT_EQ(page.Area.bottom(), margins.bottom() - 2 * line);
    page.WriteLine(QStringLiteral("erste Zeile"));
    page.WriteLine(QString());
    EXPECT_EQ(page.Area.top(), margins.top() + 4 * line);
    page.EndDoc();
    const std::string text = PdfText(dir.filePath(QStringLiteral("page.pdf")));
    if (text.empty()) GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_NE(text.find("KELANI"), std::string::npos);
    EXPECT_NE(text.find("Fusszeile"), std::string::npos);
    EXPECT_NE(text.find("erste Zeile"), std::string::npos);
}

TEST(PrintDialogSeam, AnEmptyAnswerCancels) {
    App();
    QPrinter printer;
    QueuePrintAnswer(QString());
    EXPECT_FALSE(ExecPrintDialog(printer, nullptr));
    ResetPrintSeam();
}
