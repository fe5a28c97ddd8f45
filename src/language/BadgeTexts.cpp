#include "language/BadgeTexts.h"

#include "language/TextLookup.h"

namespace zav::language {

QString BadgeTextOf(BadgeText text) {
    struct Default {
        int number;
        const char* english;
    };
    static constexpr Default Defaults[] = {
        {365, "Badges cannot be read here: %1."},
        {366, "This badge is not known."},
        {367, "Too many unknown badges: this panel reads no badge until %1."},
        {368, "Too many unknown badges: this panel reads no badge until a manager unlocks it."},
        {369, "Wrong PIN"},
        {370, "PIN"},
        {371, "PIN of %1"},
        {372, "Badge"},
        {373, "Hold the badge to the reader, or type its number and press Enter."},
        {374, "Login method"},
        {375, "Password"},
        {376, "Badge"},
        {377, "Badge and PIN"},
        {378, "A PIN has at least %1 digits."},
        {379, "Another operator has this badge."},
        {380, "Badge..."},
        {381, "Clear"},
        {382, "Badge of %1"},
        {383, "Badge number"},
        {384, "Delete the last digit"},
    };
    const Default& entry = Defaults[static_cast<int>(text)];
    return LookupText(entry.number, QString::fromUtf8(entry.english));
}

} // namespace zav::language
