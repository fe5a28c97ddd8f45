#pragma once

#include <QString>

namespace zav::manage {

// The classic numeric test: true when the text, blanks around it ignored, reads as a number. Accepted:
// an optional sign (leading or trailing), digits with an optional decimal point and an optional
// exponent ("12", "-4.5", ".5", "1e3", "3-"), and the hexadecimal and octal forms "&H1F" and "&O17".
bool IsNumericText(const QString& text);

} // namespace zav::manage
