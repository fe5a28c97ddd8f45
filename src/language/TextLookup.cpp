#include "language/TextLookup.h"

#include "language/CurrentLanguageProvider.h"
#include "language/TextReference.h"

namespace zav::language {

QString LookupText(short number, const QString& defaultText) {
    return languageProvider().GetText(number, defaultText);
}

QString TranslateText(const QString& text) {
    // A default no real text can be, so that "no such text" is told apart from any answer.
    static const QString NoText = QStringLiteral("||No||");
    try {
        if (const auto number = referencedTextNumber(text)) {
            QString found = LookupText(*number, NoText);
            if (found != NoText) {
                return found;
            }
        }
    } catch (...) {
        // A reference that cannot be looked up shows as stored.
    }
    return text;
}

} // namespace zav::language
