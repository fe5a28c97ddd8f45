#pragma once

// The rights a level holds, as the panel lists them: the four fixed rights, then the host's custom
// rights 1 to EnableCount, each with the caption the component keeps for it.

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QList>
#include <QString>

namespace zav::panel {

struct RightState {
    QString caption;
    bool granted = false;
};

// The shutdown right reads as granted when the automatic shutdown applies to the level (DisShutDown
// false), the way the level permission dialog shows it. A fixed right whose caption is the component's
// built-in one shows in `language`, as the component's own dialogs show it.
QList<RightState> rightsOf(const ZAV_Login& login, const Class_LevelEnable& rights, const QString& language);

} // namespace zav::panel
