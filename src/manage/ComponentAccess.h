#pragma once

// The windows of the management subsystem read the component's settings afresh for every use.

#include "base/ReportedErrors.h"

#include <QString>
#include <memory>

class ZAV_Login;

namespace zav::manage {

// The component these windows work for, held for the length of a use; fails with automation error 91
// when there is none.
std::shared_ptr<ZAV_Login> CurrentComponent();
// The component's DbPath, read afresh for every database open.
QString CurrentDbPath();
// After the windows renumbered the levels: the component's current level and logout level follow.
void ComponentFollowsRenumbering();

} // namespace zav::manage
