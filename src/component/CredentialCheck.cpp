#include "component/CredentialCheck.h"
#include "component/HostSignals.h"
#include "component/ModuleComponent.h"
#include "component/OfflineMode.h"

#include "access/LevelRecord.h"
#include "base/Mod_Globali.h"
#include "base/ReportedErrors.h"
#include "language/TextLookup.h"
#include "shell/ShellServices.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

namespace zav {

namespace {
// A current level without its rights object (a host may assign Nothing) fails with error 91 before
// anything is recorded or changed.
std::shared_ptr<Class_Level> requireCurrentLevel() {
    const auto level = RequireModuleComponent()->CurrentLevel();
    if (!level || !level->cLevelEnable()) {
        throw ObjectNotSetError();
    }
    return level;
}

// Makes the opened level the component's current level (rewritten in place, so references the host
// holds follow the login) and who logged in its current operator.
void acceptLevel(const manage::CheckedLogin& opened) {
    const auto level = requireCurrentLevel();
    level->setCanHavePassword(true);
    access::CopyLevel(*opened.level, *level);
    level->setPassword(opened.password);
    RequireModuleComponent()->setCurrentOperator(opened.who);
    opened.who->setcLevel(level);
    shell::ShowDesktop(level->cLevelEnable()->AllowDesktop());
}

void tellHostRefused(const QString& name, int loginMode) {
    // The database is closed: a slot may open it.
    if (const auto c = ModuleComponent()) {
        TellHost("loginFailed", [&] { Q_EMIT c->loginFailed(name, loginMode); });
    }
}
} // namespace

QString LockedOutMessage(const QDateTime& until) {
    if (!until.isValid()) {
        return language::LookupText(281, QStringLiteral("Too many wrong passwords: this login is locked "
                                                        "until a manager unlocks it."));
    }
    return language::LookupText(280,
                                QStringLiteral("Too many wrong passwords: this login is locked until %1."))
        .arg(until.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

QString TopPasswordWaitMessage(int seconds) {
    return language::LookupText(282,
                                QStringLiteral("Too many wrong passwords: wait %1 s before the next try."))
        .arg(seconds);
}

CredentialVerdict CheckCredentials(const CredentialRequest& request) {
    // Offline, the copy checks while it is fresh enough; what the attempt leaves waits in its queue.
    OfflineMode& offline = OfflineOf(*RequireModuleComponent());
    const manage::CheckedLogin checked = offline.Use(OfflineMode::Purpose::Login, [&](const QString& path) {
        return manage::CheckCredentials(path, request, [] { requireCurrentLevel(); });
    });
    if (checked.verdict.outcome == CredentialOutcome::Accepted) {
        acceptLevel(checked);
        if (!offline.IsOffline()) {
            offline.RequestRefresh(); // the copy follows what the server holds now
        }
    } else {
        tellHostRefused(checked.refusedName, request.loginMode);
    }
    return checked.verdict;
}

CredentialOutcome CheckCredentials(int loginMode, int levelId, const QString& operatorName,
                                   const QString& typed, QDateTime* lockedUntil) {
    const CredentialVerdict verdict =
        CheckCredentials(CredentialRequest{loginMode, true, levelId, operatorName, typed});
    if (lockedUntil && verdict.outcome == CredentialOutcome::LockedOut) {
        *lockedUntil = verdict.lockedUntil;
    }
    return verdict.outcome;
}

} // namespace zav
