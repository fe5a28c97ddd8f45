#include "operations/NumericText.h"

#include <QRegularExpression>

namespace zav::manage {

bool IsNumericText(const QString& text) {
    static const QRegularExpression decimal(
        QStringLiteral(R"(^\s*([+-]\s*)?(\d+\.?\d*|\.\d+)([eEdD][+-]?\d+)?(\s*[+-])?\s*$)"));
    static const QRegularExpression radix(QStringLiteral(R"(^\s*&([hH][0-9a-fA-F]+|[oO][0-7]+)\s*$)"));
    // A sign on both sides is not a number.
    if (decimal.match(text).hasMatch()) {
        const QString trimmed = text.trimmed();
        const bool leading = trimmed.startsWith(u'+') || trimmed.startsWith(u'-');
        const bool trailing = trimmed.size() > 1 && (trimmed.endsWith(u'+') || trimmed.endsWith(u'-'));
        return !(leading && trailing);
    }
    return radix.match(text).hasMatch();
}

QString CountOf(qsizetype count, const QString& singular, const QString& plural) {
    return QString::number(count) + QLatin1Char(' ') +
           (count == 1         ? singular
            : plural.isEmpty() ? singular + QLatin1Char('s')
                               : plural);
}

} // namespace zav::manage
