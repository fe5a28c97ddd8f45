#pragma once

#include <QString>

namespace zav::admin {

// The new password. With `fromStdin`: the first line of standard input without its line end (an
// empty line is the empty password; no line at all is a failure). Otherwise it is typed twice on the
// terminal without echo and both must agree. Throws UsageError when standard input is no terminal
// and `fromStdin` is false, AutomationError for the other failures.
// `what` names it in the prompts and messages ("PIN" for an operator's PIN).
QString ReadNewPassword(bool fromStdin, const QString& what = QStringLiteral("password"));

// One line that is never shown: from standard input with `fromStdin`, else typed once on the terminal
// without echo after `prompt` (a badge reader that types as a keyboard does, ending with Enter). `what`
// names it in the messages. Throws as ReadNewPassword.
QString ReadSecretLine(bool fromStdin, const QString& prompt, const QString& what);

} // namespace zav::admin
