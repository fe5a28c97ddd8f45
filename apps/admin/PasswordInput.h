#pragma once

#include <QString>

namespace zav::admin {

// The new password. With `fromStdin`: the first line of standard input without its line end (an
// empty line is the empty password; no line at all is a failure). Otherwise it is typed twice on the
// terminal without echo and both must agree. Throws UsageError when standard input is no terminal
// and `fromStdin` is false, AutomationError for the other failures.
QString ReadNewPassword(bool fromStdin);

} // namespace zav::admin
