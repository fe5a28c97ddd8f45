#include "manage/ComponentAccess.h"

#include "component/Mod_Globali.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

namespace zav::manage {

AutomationError ObjectNotSetError() {
    return AutomationError(ErrObjectVariableNotSet,
                           QStringLiteral("Object variable or With block variable not set"));
}

ZAV_Login& CurrentComponent() {
    ZAV_Login* component = Mod_Globali().component;
    if (!component) {
        throw ObjectNotSetError();
    }
    return *component;
}

QString CurrentDbPath() {
    return CurrentComponent().DbPath();
}

void ComponentFollowsRenumbering() {
    CurrentComponent().FollowRenumbering();
}

} // namespace zav::manage
