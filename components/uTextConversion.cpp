#include "components/uTextConversion.h"

#include "base/uCodePage.h"

#include <QStringDecoder>

namespace kelani {

QString FromCp1252(const std::string& bytes) {
    return QString::fromStdString(Cp1252ToUtf8(bytes));
}

std::string ToCp1252(const QString& text) {
    return Utf8ToCp1252(text.toStdString());
}

QString ErrorText(const char* what) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(QByteArrayView(what));
    return utf8.hasError() ? FromCp1252(what) : text;
}

} // namespace kelani
