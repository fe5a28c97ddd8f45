#include "language/SignatureTexts.h"

#include "language/TextLookup.h"

namespace zav::language {

QString SignatureTextOf(SignatureText text) {
    struct Default {
        int number;
        const char* english;
    };
    static constexpr Default Defaults[] = {
        {350, "Electronic signature"},
        {351, "Second person"},
        {352, "Signed by"},
        {353, "Meaning"},
        {354, "Action"},
        {355, "Reason"},
        {356, "Only an operator logged in by name can sign."},
        {357, "A signature needs the audit trail: the database's policy does not audit."},
        {358, "A reason is required."},
        {359, "The name does not match the operator logged in."},
        {360, "The second person must be another operator."},
        {361, "%1 does not hold the right this action needs."},
        {362, "An operator without a password cannot sign."},
        {363, "Nothing can be signed while the server cannot be reached."},
        {364, "The operator %1 no longer exists."},
    };
    const Default& entry = Defaults[static_cast<int>(text)];
    return LookupText(entry.number, QString::fromUtf8(entry.english));
}

} // namespace zav::language
