#include "automation/AutomationErrors.h"

#include <utility>

namespace zav::automation {
namespace {

constexpr std::pair<int, const char*> Descriptions[] = {
    {ErrOverflow, "Overflow"},
    {ErrSubscriptOutOfRange, "Subscript out of range"},
    {ErrTypeMismatch, "Type mismatch"},
    {ErrObjectVariableNotSet, "Object variable or With block variable not set"},
    {ErrInvalidUseOfNull, "Invalid use of Null"},
    {ErrObjectRequired, "Object required"},
    {ErrCannotCreateObject, "ActiveX component can't create object"},
    {ErrNotSupported, "Object doesn't support this property or method"},
    {ErrArgumentNotOptional, "Argument not optional"},
    {ErrWrongArgumentCount, "Wrong number of arguments or invalid property assignment"},
};

} // namespace

QString StandardDescription(int number) {
    for (const auto& [known, text] : Descriptions) {
        if (known == number) {
            return QString::fromLatin1(text);
        }
    }
    return QStringLiteral("Automation error");
}

void Raise(int number) {
    throw AutomationError(number, StandardDescription(number));
}

} // namespace zav::automation
