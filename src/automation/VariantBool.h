#pragma once

// The automation Boolean as a variant carries it: true is -1, false is 0. A QVariant holding one
// converts to bool (true for any non-zero value), to int (-1 or 0) and to text ("True" / "False").

#include <QMetaType>
#include <QtGlobal>

namespace zav::automation {

struct VariantBool {
    qint16 value = 0;

    constexpr VariantBool() = default;
    constexpr explicit VariantBool(bool b) : value(b ? -1 : 0) {}
    constexpr bool isTrue() const { return value != 0; }
    friend constexpr bool operator==(VariantBool a, VariantBool b) { return a.isTrue() == b.isTrue(); }
};

// Registers the conversions above; safe to call any number of times.
void RegisterVariantBool();

} // namespace zav::automation

Q_DECLARE_METATYPE(zav::automation::VariantBool)
