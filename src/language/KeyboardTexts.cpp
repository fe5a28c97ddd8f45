#include "language/LanguageHooks.h"
#include "language/TextLookup.h"

namespace zav::language {

outside::KeyboardLayout KeyboardLayoutOfLanguage() {
    // The English layout is the default of every text: a language file may leave any of them out.
    outside::KeyboardLayout layout;
    layout.ok = LookupText(200, layout.ok);
    layout.cancel = LookupText(201, layout.cancel);
    layout.toDigits = LookupText(202, layout.toDigits);
    layout.toLetters = LookupText(203, layout.toLetters);
    layout.shift = LookupText(204, layout.shift);
    layout.space = LookupText(205, layout.space);
    layout.backspace = LookupText(206, layout.backspace);
    for (int row = 0; row < static_cast<int>(layout.letterRows.size()); ++row) {
        layout.letterRows[row] = LookupText(static_cast<short>(207 + row), layout.letterRows[row]);
    }
    return layout;
}

} // namespace zav::language
