#pragma once

// Starting the login component the way a machine's host program does: switches, language and the
// captions of its custom rights first, the database last.

#include "PanelOptions.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QString>
#include <memory>

namespace zav::panel {

struct StartedComponent {
    std::shared_ptr<ZAV_Login> login;
};

// Creates and configures the component, then assigns DbPath (which creates the database when it is
// missing and logs out). A language that is not on offer fails with the component's AutomationError
// before anything is created on disk. A database that cannot be opened is reported by the component
// in a message box and leaves the component without a current level.
StartedComponent startComponent(const PanelOptions& options);

// The first name on the "language = ..." line of a language file; empty when there is none.
QString languageOfFile(const QString& path);

} // namespace zav::panel
