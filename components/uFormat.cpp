#include "components/uFormat.h"

#include <QRegularExpression>

namespace kelani {

QString FormatText(const QString& pattern, const QStringList& args) {
    static const QRegularExpression placeholder(QStringLiteral("%(%|[-+ 0#]*\\d*(?:\\.\\d+)?[sdufx])"));
    QString result;
    qsizetype last = 0;
    int next = 0;
    auto match = placeholder.globalMatch(pattern);
    while (match.hasNext()) {
        const QRegularExpressionMatch m = match.next();
        result += pattern.mid(last, m.capturedStart() - last);
        if (m.captured(1) == QLatin1String("%"))
            result += QLatin1Char('%');
        else if (next < args.size())
            result += args[next++];
        else
            result += m.captured(0);
        last = m.capturedEnd();
    }
    return result + pattern.mid(last);
}

} // namespace kelani
