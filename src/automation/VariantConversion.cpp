#include "automation/VariantConversion.h"

#include "automation/AutomationErrors.h"
#include "automation/VariantBool.h"

#include <QLocale>
#include <QObject>
#include <cmath>
#include <limits>
#include <optional>

namespace zav::automation {
namespace {

bool isNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Float:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

bool isBoolean(const QVariant& value) {
    return value.typeId() == QMetaType::Bool || value.metaType() == QMetaType::fromType<VariantBool>();
}

// The text of a Boolean word, if it is one.
std::optional<bool> booleanWord(const QString& text) {
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    return std::nullopt;
}

// The numeric value of a variant as automation sees it (True is -1), or nothing.
std::optional<double> numberOf(const QVariant& value) {
    if (!value.isValid()) {
        return 0.0;
    }
    if (isBoolean(value)) {
        return value.toBool() ? -1.0 : 0.0;
    }
    if (isNumber(value)) {
        return value.toDouble();
    }
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (const auto word = booleanWord(text)) {
            return *word ? -1.0 : 0.0;
        }
        bool ok = false;
        const double number = QLocale::c().toDouble(text, &ok);
        if (ok) {
            return number;
        }
    }
    return std::nullopt;
}

// Rounds half to even, as automation's integer conversions do (2.5 gives 2, 3.5 gives 4).
double roundHalfEven(double x) {
    const double below = std::floor(x);
    const double fraction = x - below;
    if (fraction > 0.5) {
        return below + 1;
    }
    if (fraction < 0.5) {
        return below;
    }
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1;
}

template <typename Int> Int toInteger(const QVariant& value) {
    const std::optional<double> number = numberOf(value);
    if (!number) {
        Raise(ErrTypeMismatch);
    }
    if (!std::isfinite(*number)) {
        Raise(ErrOverflow);
    }
    const double rounded = roundHalfEven(*number);
    if (rounded < std::numeric_limits<Int>::min() || rounded > std::numeric_limits<Int>::max()) {
        Raise(ErrOverflow);
    }
    return static_cast<Int>(rounded);
}

bool toBool(const QVariant& value) {
    const std::optional<double> number = numberOf(value);
    if (!number) {
        Raise(ErrTypeMismatch);
    }
    return *number != 0.0;
}

QString toText(const QVariant& value) {
    if (!value.isValid()) {
        return QString();
    }
    if (isBoolean(value)) {
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    }
    if (value.typeId() == QMetaType::QString || isNumber(value)) {
        return value.toString();
    }
    Raise(ErrTypeMismatch);
}

} // namespace

bool IsObjectValue(const QVariant& value) {
    return value.metaType().flags().testFlag(QMetaType::PointerToQObject);
}

bool IsNothing(const QVariant& value) {
    return value.typeId() == QMetaType::Nullptr || (IsObjectValue(value) && ObjectOf(value) == nullptr);
}

QObject* ObjectOf(const QVariant& value) {
    return IsObjectValue(value) ? qvariant_cast<QObject*>(value) : nullptr;
}

QVariant ObjectValue(QObject* object) {
    return QVariant::fromValue(object);
}

QVariant CoerceValue(const QVariant& value, VarType type) {
    if (type == VarType::Variant) {
        return value;
    }
    if (value.typeId() == QMetaType::Nullptr) {
        Raise(ErrInvalidUseOfNull);
    }
    switch (type) {
    case VarType::Bool:
        return toBool(value);
    case VarType::Short:
        return QVariant::fromValue(toInteger<qint16>(value));
    case VarType::Long:
        return QVariant::fromValue(toInteger<qint32>(value));
    case VarType::String:
        return toText(value);
    default:
        Raise(ErrTypeMismatch);
    }
}

QVariant ToAutomationValue(const QVariant& result, VarType type) {
    switch (type) {
    case VarType::Empty:
        return QVariant();
    case VarType::Bool:
        return QVariant::fromValue(VariantBool(result.toBool()));
    case VarType::Short:
        return QVariant::fromValue(static_cast<qint16>(result.toInt()));
    case VarType::Long:
        return QVariant::fromValue(static_cast<qint32>(result.toInt()));
    case VarType::String:
        return result.toString();
    case VarType::Object:
        return ObjectValue(ObjectOf(result));
    case VarType::Variant:
        break;
    }
    return isBoolean(result) ? QVariant::fromValue(VariantBool(result.toBool())) : result;
}

} // namespace zav::automation
