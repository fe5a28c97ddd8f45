#include "component/CredentialCheck.h"
#include "component/HostSignals.h"
#include "component/ModuleComponent.h"
#include "component/OfflineMode.h"

#include "access/Class_Par.h"
#include "access/DialogHooks.h"
#include "access/LevelRecord.h"
#include "base/MessageBox.h"
#include "base/Mod_Globali.h"
#include "base/ReportedErrors.h"
#include "language/TextLookup.h"
#include "shell/ShellServices.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

namespace zav {

// A current level without its rights object (a host may assign Nothing) fails with error 91 before
// anything is recorded or changed.
std::shared_ptr<Class_Level> RequireCurrentLevel() {
    const auto level = RequireModuleComponent()->CurrentLevel();
    if (!level || !level->cLevelEnable()) {
        throw ObjectNotSetError();
    }
    return level;
}

void AcceptCheckedLogin(const manage::CheckedLogin& opened) {
    const auto level = RequireCurrentLevel();
    level->setCanHavePassword(true);
    access::CopyLevel(*opened.level, *level);
    level->setPassword(opened.password);
    RequireModuleComponent()->setCurrentOperator(opened.who);
    opened.who->setcLevel(level);
    shell::ShowDesktop(level->cLevelEnable()->AllowDesktop());
}

void TellHostRefused(const QString& name, int loginMode) {
    // The database is closed: a slot may open it.
    if (const auto c = ModuleComponent()) {
        TellHost("loginFailed", [&] { Q_EMIT c->loginFailed(name, loginMode); });
    }
}

namespace {

// A password that must be changed before its login counts: the password dialog for the operator or the
// level that opened, after a word on why; what it stored, or nothing when it was cancelled. Offline
// nothing can be stored: the login is refused (`refusedOffline`).
std::optional<QString> changeBeforeLogin(const manage::DueChange& due, bool offline, bool& refusedOffline) {
    if (offline) {
        refusedOffline = true;
        return std::nullopt;
    }
    MsgBox(due.reason == manage::ChangeReason::FirstLogin
               ? language::LookupText(341, QStringLiteral("Your password was set by someone else: choose "
                                                          "a password of your own to log in."))
               : language::LookupText(340, QStringLiteral("Your password has expired: choose a new one "
                                                          "to log in.")),
           vbExclamation, language::LookupText(17, QStringLiteral("Warning")));
    Class_Par par;
    par.LoginMode = due.kind == manage::LockoutKind::Level ? LoginModeLevel : LoginModeOperator;
    due.level->setPassword(due.levelPassword);
    access::openChangePasswordDialog(par, due.level, due.who);
    return par.Result ? std::optional<QString>(par.Text) : std::nullopt;
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
    bool refusedOffline = false;
    const manage::CheckedLogin checked = offline.Use(OfflineMode::Purpose::Login, [&](const QString& path) {
        return manage::CheckCredentials(
            path, request, [] { RequireCurrentLevel(); },
            [&](const manage::DueChange& due) {
                return changeBeforeLogin(due, offline.IsOffline(), refusedOffline);
            });
    });
    if (refusedOffline) {
        MsgBox(
            language::LookupText(342, QStringLiteral("This password must be changed before it opens again, "
                                                     "and the server cannot be reached: change it once "
                                                     "the server is back.")),
            vbExclamation, language::LookupText(17, QStringLiteral("Warning")));
    }
    if (checked.verdict.outcome == CredentialOutcome::Accepted) {
        AcceptCheckedLogin(checked);
        if (!offline.IsOffline()) {
            offline.RequestRefresh(); // the copy follows what the server holds now
        }
    } else if (checked.verdict.outcome != CredentialOutcome::ChangeRefused) {
        TellHostRefused(checked.refusedName, request.loginMode);
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
