#include "components/uPrintDialog.h"

#include <QPrintDialog>
#include <QPrinter>
#include <deque>

namespace kelani {
namespace {

std::deque<QString>& Answers() {
    static std::deque<QString> answers;
    return answers;
}

} // namespace

bool ExecPrintDialog(QPrinter& printer, QWidget* parent) {
    if (!Answers().empty()) {
        const QString path = Answers().front();
        Answers().pop_front();
        if (path.isEmpty()) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return true;
    }
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void QueuePrintAnswer(const QString& pdfPath) {
    Answers().push_back(pdfPath);
}

void ResetPrintSeam() {
    Answers().clear();
}

} // namespace kelani
