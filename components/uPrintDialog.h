#pragma once
// The system print dialog behind one call, so tests can answer it ("print to this PDF") without a
// window. Every printout of the game asks through here.
#include <QString>

class QPrinter;
class QWidget;

namespace kelani {

// Shows the print dialog for `printer`; true when the user confirmed. After a queued answer no
// dialog is shown: a PDF path sets the printer to write that file and confirms; an empty path
// answers Cancel.
bool ExecPrintDialog(QPrinter& printer, QWidget* parent);

// Test seam: the next print dialog prints to `pdfPath` (or is cancelled when it is empty).
void QueuePrintAnswer(const QString& pdfPath);
void ResetPrintSeam();

} // namespace kelani
