#pragma once

#include <QString>

namespace zav::language {

// Text `number` of the language provider, or `defaultText` when it has none. Errors of the provider
// (including one that cannot be created) reach the caller.
QString LookupText(short number, const QString& defaultText);

// The language text a stored text refers to ("|0" is text 100, see referencedTextNumber), or the text
// itself: when it is no reference, when the provider has no such text, and after any error, which is
// dropped. Never fails.
QString TranslateText(const QString& text);

} // namespace zav::language
