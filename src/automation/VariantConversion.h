#pragma once

// Conversions between the variants a late-bound caller passes and the types the members declare,
// done the way automation does them: numbers round half to even into integers, True is -1, the texts
// "True" and "False" are Booleans, an empty variant is 0, "" or False. A value that cannot convert
// fails with 13 (type mismatch), one that does not fit with 6 (overflow), a Null with 94.

#include "automation/AutomationTypes.h"

#include <QVariant>

class QObject;

namespace zav::automation {

// An object reference (possibly Nothing).
bool IsObjectValue(const QVariant& value);
// Nothing: a null object reference or a null value.
bool IsNothing(const QVariant& value);
QObject* ObjectOf(const QVariant& value);
QVariant ObjectValue(QObject* object);

// A value (not an object) converted to `type` for the callee: bool, qint16, int, QString, or the
// value itself for Variant.
QVariant CoerceValue(const QVariant& value, VarType type);

// A callee's result as the caller receives it: VariantBool for a Boolean, qint16 / int for integers,
// QString, QObject* for an object, an invalid variant for nothing.
QVariant ToAutomationValue(const QVariant& result, VarType type);

} // namespace zav::automation
