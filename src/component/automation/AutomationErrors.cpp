#include "component/automation/AutomationErrors.h"

namespace zav::automation {

QString StandardDescription(int number) {
    switch (number) {
    case ErrOverflow:
        return QStringLiteral("Overflow");
    case ErrSubscriptOutOfRange:
        return QStringLiteral("Subscript out of range");
    case ErrTypeMismatch:
        return QStringLiteral("Type mismatch");
    case ErrObjectVariableNotSet:
        return QStringLiteral("Object variable or With block variable not set");
    case ErrInvalidUseOfNull:
        return QStringLiteral("Invalid use of Null");
    case ErrObjectRequired:
        return QStringLiteral("Object required");
    case ErrCannotCreateObject:
        return QStringLiteral("ActiveX component can't create object");
    case ErrNotSupported:
        return QStringLiteral("Object doesn't support this property or method");
    case ErrArgumentNotOptional:
        return QStringLiteral("Argument not optional");
    case ErrWrongArgumentCount:
        return QStringLiteral("Wrong number of arguments or invalid property assignment");
    default:
        return QStringLiteral("Automation error");
    }
}

void Raise(int number) {
    throw AutomationError(number, StandardDescription(number));
}

} // namespace zav::automation
