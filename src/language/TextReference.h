#pragma once

#include <QString>
#include <QVariant>
#include <optional>

namespace zav::language {

// The language text a stored text refers to: "|" followed by a number n names text n + 100 (the
// built-in level names "|0" and "|1" are texts 100 and 101). The number may be any plain decimal
// number and is rounded to a whole one, halves to the even neighbour as the classic integer conversion
// does; nothing when the text is no reference or n or n + 100 does not fit 16 bits.
std::optional<short> referencedTextNumber(const QString& text);

// The text a control's tag names: "|" followed by the decimal digits of a number n names text n.
// Nothing for any other tag (a plain "194", an empty tag, "|abc").
std::optional<short> taggedTextNumber(const QVariant& tag);

} // namespace zav::language
