#pragma once

// Late-bound access to the component's objects, as automation clients use it: a member is found by
// name (any case) to its dispatch ID, and invoked by dispatch ID and accessor kind with a list of
// variants. Failures are AutomationErrors with the numbers a client expects:
//   438 an unknown name or dispatch ID, or an accessor the member lacks (a let on an object property,
//       a call of a property, a read of a method);
//   449 a required argument is missing (an invalid QVariant stands for a missing argument);
//   450 more arguments than the member takes;
//   13  a value that does not convert to the declared type, or an object of the wrong class;
//   6   an integer out of range; 94 a Null where a value is needed;
//   424 a set with something that is not an object (or Nothing); 91 a call on no object at all;
// and the component's own errors (9 from AllowCustom, the database's numbers) come through as raised.

#include "automation/AutomationTypes.h"

#include <QObject>
#include <QStringView>
#include <QVariant>
#include <memory>

namespace zav::automation {

// The interface of one of this library's objects, or nullptr for any other object.
const InterfaceDesc* InterfaceOf(const QObject* object);

// The dispatch ID of the member of that name; 438 when there is none.
DispId GetIDOfName(const QObject* object, QStringView name);

// Runs one accessor of the member `id`. `kinds` is the set of accessors the caller accepts, in the
// order method, get, then the write: Method | Get calls a method or reads a property; Let | Set
// writes, with set for an object or Nothing and let for any other value. For a let or set the value
// comes last, after any index. Arguments passed by reference are written back into `args`.
// The result: VariantBool for a Boolean, qint16 / int for integers, QString, QObject* for an object
// (the very object the member holds), an invalid QVariant for none (and for every write).
QVariant Invoke(QObject* object, DispId id, unsigned kinds, QVariantList& args);
QVariant Invoke(QObject* object, DispId id, unsigned kinds, QVariantList&& args = {});
QVariant Invoke(QObject* object, QStringView name, unsigned kinds, QVariantList& args);
QVariant Invoke(QObject* object, QStringView name, unsigned kinds, QVariantList&& args = {});

// A new object of a creatable class, named as the class ("ZAV_Login"), with the library
// ("ZAV_PrjLogin.ZAV_Login") or by class ID; 429 for a class that clients may not create or that
// does not exist.
std::shared_ptr<QObject> CreateObject(QStringView nameOrClassId);

} // namespace zav::automation
