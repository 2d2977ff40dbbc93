#pragma once
// Fills the printf-style placeholders of the translated texts ("%s hat gewonnen", "%d Steine",
// "%.2f") with ready-made texts, in order. The texts come from language scripts, so a placeholder
// without an argument stays as it is instead of reading past the arguments, and "%%" is a percent sign.
#include <QString>
#include <QStringList>

namespace kelani {

QString FormatText(const QString& pattern, const QStringList& args);

} // namespace kelani
