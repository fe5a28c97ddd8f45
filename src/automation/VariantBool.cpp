#include "automation/VariantBool.h"

#include <QString>

namespace zav::automation {

void RegisterVariantBool() {
    static const bool registered = [] {
        QMetaType::registerConverter<VariantBool, bool>(&VariantBool::isTrue);
        QMetaType::registerConverter<VariantBool, int>([](VariantBool b) { return int{b.value}; });
        QMetaType::registerConverter<VariantBool, QString>(
            [](VariantBool b) { return b.isTrue() ? QStringLiteral("True") : QStringLiteral("False"); });
        return true;
    }();
    Q_UNUSED(registered);
}

} // namespace zav::automation
