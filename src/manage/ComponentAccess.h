#pragma once

// The windows of the management subsystem read the component's settings afresh for every use.

#include <ZAV_PrjLogin/AutomationError.h>

#include <QString>

class ZAV_Login;

namespace zav::manage {

// Automation error 91: an object the operation needs (the component, a selected row) is missing.
AutomationError ObjectNotSetError();

// The component these windows work for; fails with automation error 91 when there is none.
ZAV_Login& CurrentComponent();
// The component's DbPath, read afresh for every database open.
QString CurrentDbPath();
// After the windows renumbered the levels: the component's current level and logout level follow.
void ComponentFollowsRenumbering();

} // namespace zav::manage
