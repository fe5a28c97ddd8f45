#pragma once

// How the access objects reach their dialogs. The dialog layer provides the default openers; a test
// or a headless host may install its own.

#include "access/Class_Par.h"

#include <ZAV_PrjLogin/Class_Level.h>
#include <ZAV_PrjLogin/Class_Operator.h>

#include <functional>
#include <memory>

namespace zav::access {

using ManageWindowOpener = std::function<void(const std::shared_ptr<Class_Level>& owner)>;
using ChangePasswordOpener = std::function<void(Class_Par& par, const std::shared_ptr<Class_Level>& level,
                                                const std::shared_ptr<Class_Operator>& op)>;

// nullptr restores the default opener.
void setManageWindowOpener(ManageWindowOpener opener);
void setChangePasswordOpener(ChangePasswordOpener opener);

void openManageWindow(const std::shared_ptr<Class_Level>& owner);
void openChangePasswordDialog(Class_Par& par, const std::shared_ptr<Class_Level>& level,
                              const std::shared_ptr<Class_Operator>& op);

} // namespace zav::access
