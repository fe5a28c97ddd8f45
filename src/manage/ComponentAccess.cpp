#include "manage/ComponentAccess.h"

#include "component/Mod_Globali.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

namespace zav::manage {

std::shared_ptr<ZAV_Login> CurrentComponent() {
    return RequireComponent();
}

QString CurrentDbPath() {
    return CurrentComponent()->DbPath();
}

void ComponentFollowsRenumbering() {
    CurrentComponent()->FollowRenumbering();
}

} // namespace zav::manage
