#pragma once

// How the dialogs show failures: the error's description in a message box with the exclamation icon
// and an OK button.

#include "base/MessageBox.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QString>
#include <exception>
#include <functional>

namespace zav {

// The title of the boxes of the operations that catch their own errors (the credential check, the
// password saves, the editing operations of the management window).
inline const QString LoginTitle = QStringLiteral("Login");

// Automation error 91: an object the operation needs (the component, a level's rights, a selected
// row) is missing.
AutomationError ObjectNotSetError();

// The description of an automation or engine error, or the text of any other exception.
QString ErrorDescription(const std::exception& error);

// The plain sentence the operator reads for an error number, in the operator's language; empty keeps the
// error's own description. Must not fail. The language layer installs it; without it nothing changes.
using ErrorSentenceSource = QString (*)(int number);
void setErrorSentenceSource(ErrorSentenceSource source);

// What the operator reads: the sentence for the error's number where there is one (the number and the
// error's own description then go to the log), else ErrorDescription.
QString OperatorErrorText(const std::exception& error);

// Shows OperatorErrorText with the exclamation icon under `title`.
void ShowError(const std::exception& error, const QString& title = ComponentTitle);

// Qt delivers the dialogs' events and no error may travel back into its event loop. Every handler runs
// through this guard, which shows what escaped it under `title` (the component's name where the
// operation has no error handling of its own). False when the handler did not run to its end.
bool RunReportingErrors(const std::function<void()>& handler, const QString& title = ComponentTitle) noexcept;

} // namespace zav
