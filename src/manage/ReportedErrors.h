#pragma once

// How the management windows show failures: the error's description in a message box with the
// exclamation icon and an OK button.

#include "component/Mod_Globali.h"

#include <QString>
#include <exception>
#include <functional>

namespace zav::manage {

// The title most editing operations give their error boxes.
inline const QString LoginTitle = QStringLiteral("Login");

// The description of an automation or engine error, or the text of any other exception.
QString ErrorDescription(const std::exception& error);

// Shows the error's description with the exclamation icon under `title`.
void ShowError(const std::exception& error, const QString& title = ComponentTitle);

// Qt delivers the windows' events and no error may travel back into its event loop. Handlers that have
// no error handling of their own run through this guard, which shows what escaped them under the
// component's default title.
void RunReportingErrors(const std::function<void()>& handler) noexcept;

} // namespace zav::manage
