#pragma once

// How the access objects reach their dialogs, which sit in a layer above them. The dialog layer
// installs the default openers when a component is made; a test or a headless host may substitute its
// own on its thread.

#include "access/Class_Par.h"

#include <ZAV_PrjLogin/Class_Level.h>
#include <ZAV_PrjLogin/Class_Operator.h>

#include <functional>
#include <memory>

namespace zav::access {

using ManageWindowOpener = std::function<void(const std::shared_ptr<Class_Level>& owner)>;
using ChangePasswordOpener = std::function<void(Class_Par& par, const std::shared_ptr<Class_Level>& level,
                                                const std::shared_ptr<Class_Operator>& op)>;

// This thread's substitutes; nullptr restores the default opener.
void setManageWindowOpener(ManageWindowOpener opener);
void setChangePasswordOpener(ChangePasswordOpener opener);

// The default openers, for every thread. Without them (no dialog layer installed) opening a dialog
// fails with automation error 5.
using ManageWindowDefault = void (*)(const std::shared_ptr<Class_Level>& owner);
using ChangePasswordDefault = void (*)(Class_Par& par, const std::shared_ptr<Class_Level>& level,
                                       const std::shared_ptr<Class_Operator>& op);
void setDefaultOpeners(ManageWindowDefault manage, ChangePasswordDefault changePassword);

// Each opens through this thread's substitute or the default. While the component works offline (its
// server cannot be reached) neither opens: a message says why. After either closed, the component is told
// that the database may have changed.
void openManageWindow(const std::shared_ptr<Class_Level>& owner);
void openChangePasswordDialog(Class_Par& par, const std::shared_ptr<Class_Level>& level,
                              const std::shared_ptr<Class_Operator>& op);

} // namespace zav::access
