#pragma once

#include <QString>

namespace zav::manage {

// The classic numeric test: true when the text, blanks around it ignored, reads as a number. Accepted:
// an optional sign (leading or trailing), digits with an optional decimal point and an optional
// exponent ("12", "-4.5", ".5", "1e3", "3-"), and the hexadecimal and octal forms "&H1F" and "&O17".
bool IsNumericText(const QString& text);

// A count with its noun, singular for 1: "1 operator", "2 operators" (`plural` when "s" is not it).
QString CountOf(qsizetype count, const QString& singular, const QString& plural = QString());

} // namespace zav::manage
