#include "automation/Dispatcher.h"

#include "automation/AutomationErrors.h"
#include "automation/ClassBindings.h"
#include "automation/TypeLibrary.h"
#include "automation/VariantBool.h"
#include "automation/VariantConversion.h"

#include <QString>
#include <array>

namespace zav::automation {

std::span<const ClassBinding* const> ClassBindings() {
    static const std::array<const ClassBinding*, 5> all = {
        &LoginClassBinding(), &LevelClassBinding(), &OperatorClassBinding(), &LevelEnableClassBinding(),
        &LanguageClassBinding()};
    return all;
}

namespace {

const ClassBinding* bindingOf(const QObject* object) {
    if (!object) {
        return nullptr;
    }
    for (const ClassBinding* binding : ClassBindings()) {
        if (binding->metaObject->cast(object)) {
            return binding;
        }
    }
    return nullptr;
}

const Binding* accessorOf(const ClassBinding& cls, std::string_view member, Kind kind) {
    for (const Binding& b : cls.accessors) {
        if (b.member == member && b.kind == kind) {
            return &b;
        }
    }
    return nullptr;
}

bool isWrite(Kind kind) {
    return kind == Let || kind == Set;
}

Kind chooseKind(const MemberDesc& member, unsigned kinds, const QVariantList& args) {
    for (const Kind k : {Method, Get}) {
        if ((kinds & k) && member.has(k)) {
            return k;
        }
    }
    const unsigned writes = kinds & member.kinds() & (Let | Set);
    if (writes == (Let | Set)) {
        const QVariant value = args.isEmpty() ? QVariant() : args.last();
        return IsObjectValue(value) || IsNothing(value) ? Set : Let;
    }
    return writes == 0 ? NoKind : static_cast<Kind>(writes);
}

// A let takes an object's default value, as automation does when an object meets a value.
QVariant valueOf(const QVariant& value, VarType type) {
    if (IsObjectValue(value) && !IsNothing(value)) {
        return CoerceValue(Invoke(ObjectOf(value), DispIdValue, Get), type);
    }
    return CoerceValue(value, type);
}

// The value of a set: Nothing, or one of this library's objects of the member's interface.
QVariant objectOf(const QVariant& value, const MemberDesc& member) {
    if (IsNothing(value)) {
        return ObjectValue(nullptr);
    }
    if (!IsObjectValue(value)) {
        Raise(ErrObjectRequired);
    }
    const InterfaceDesc* iface = InterfaceOf(ObjectOf(value));
    if (!iface || (!member.objectInterface.empty() && iface->name != member.objectInterface)) {
        Raise(ErrTypeMismatch);
    }
    return value;
}

QVariantList prepareArguments(const MemberDesc& member, Kind kind, const QVariantList& args) {
    const qsizetype written = isWrite(kind) ? 1 : 0;
    const auto expected = static_cast<qsizetype>(member.params.size()) + written;
    if (args.size() > expected) {
        Raise(ErrWrongArgumentCount);
    }
    if (written && args.isEmpty()) {
        Raise(ErrArgumentNotOptional);
    }
    const QVariantList given = written ? args.mid(0, args.size() - 1) : args;
    QVariantList prepared;
    for (qsizetype i = 0; i < static_cast<qsizetype>(member.params.size()); ++i) {
        const ParamDesc& param = member.params[static_cast<std::size_t>(i)];
        // By position for a reference (an empty variable is there to be filled), by value otherwise.
        const bool missing = i >= given.size() || (!param.byRef && !given.at(i).isValid());
        if (missing && !param.optional) {
            Raise(ErrArgumentNotOptional);
        }
        const QVariant value = missing ? QVariant() : given.at(i);
        prepared.append(param.byRef && param.type == VarType::Variant ? value : valueOf(value, param.type));
    }
    if (written) {
        prepared.append(kind == Set ? objectOf(args.last(), member) : valueOf(args.last(), member.type));
    }
    return prepared;
}

void writeBack(const MemberDesc& member, const QVariantList& prepared, QVariantList& args) {
    for (std::size_t i = 0; i < member.params.size(); ++i) {
        const auto at = static_cast<qsizetype>(i);
        if (member.params[i].byRef && at < args.size()) {
            args[at] = prepared.at(at);
        }
    }
}

} // namespace

const InterfaceDesc* InterfaceOf(const QObject* object) {
    const ClassBinding* binding = bindingOf(object);
    return binding ? FindInterface(binding->interfaceName) : nullptr;
}

std::shared_ptr<QObject> ShareObject(QObject* object) {
    const ClassBinding* binding = bindingOf(object);
    return binding ? binding->share(*object) : nullptr;
}

DispId GetIDOfName(const QObject* object, QStringView name) {
    if (!object) {
        Raise(ErrObjectVariableNotSet);
    }
    const InterfaceDesc* iface = InterfaceOf(object);
    const MemberDesc* member = iface ? FindMember(*iface, name) : nullptr;
    if (!member) {
        Raise(ErrNotSupported);
    }
    return member->dispId;
}

QVariant Invoke(QObject* object, DispId id, unsigned kinds, QVariantList& args) {
    RegisterVariantBool();
    if (!object) {
        Raise(ErrObjectVariableNotSet);
    }
    const ClassBinding* cls = bindingOf(object);
    const InterfaceDesc* iface = cls ? FindInterface(cls->interfaceName) : nullptr;
    const MemberDesc* member = iface ? FindMember(*iface, id) : nullptr;
    const Kind kind = member ? chooseKind(*member, kinds, args) : NoKind;
    const Binding* accessor = kind != NoKind ? accessorOf(*cls, member->name, kind) : nullptr;
    if (!accessor) {
        Raise(ErrNotSupported);
    }
    QVariantList prepared = prepareArguments(*member, kind, args);
    QVariant result;
    try {
        result = accessor->run(*object, prepared);
    } catch (const AutomationError&) {
        throw;
    } catch (const std::exception& error) {
        throw AutomationError(ErrAutomation, QString::fromLocal8Bit(error.what()));
    }
    writeBack(*member, prepared, args);
    return isWrite(kind) ? QVariant() : ToAutomationValue(result, member->type);
}

QVariant Invoke(QObject* object, DispId id, unsigned kinds, QVariantList&& args) {
    return Invoke(object, id, kinds, args);
}

QVariant Invoke(QObject* object, QStringView name, unsigned kinds, QVariantList& args) {
    return Invoke(object, GetIDOfName(object, name), kinds, args);
}

QVariant Invoke(QObject* object, QStringView name, unsigned kinds, QVariantList&& args) {
    return Invoke(object, GetIDOfName(object, name), kinds, args);
}

std::shared_ptr<QObject> CreateObject(QStringView nameOrClassId) {
    const InterfaceDesc* iface = FindClass(nameOrClassId);
    if (iface && iface->creatable) {
        for (const ClassBinding* binding : ClassBindings()) {
            if (binding->interfaceName == iface->name && binding->create) {
                return binding->create();
            }
        }
    }
    Raise(ErrCannotCreateObject);
}

} // namespace zav::automation
