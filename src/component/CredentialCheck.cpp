#include "component/CredentialCheck.h"
#include "component/HostSignals.h"
#include "component/ModuleComponent.h"

#include "access/Class_Par.h"
#include "access/LevelRecord.h"
#include "base/Mod_Globali.h"
#include "base/ReportedErrors.h"
#include "language/TextLookup.h"
#include "operations/LockoutRows.h"
#include "operations/PasswordHashing.h"
#include "operations/PolicyRows.h"
#include "outside/OutsideObjects.h"
#include "shell/ShellServices.h"
#include "store/Engine.h"
#include "store/Schema.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <optional>

namespace zav {

namespace {
// Makes the level of the current Levels row the component's current level (rewritten in place, so
// references the host holds follow the login) and the candidate its current operator. A current level
// without its rights object (a host may assign Nothing) fails with error 91 before anything changes.
void acceptLevel(const store::Recordset& rs, const std::shared_ptr<Class_Operator>& candidate) {
    const auto c = RequireModuleComponent();
    const auto level = c->CurrentLevel();
    if (!level || !level->cLevelEnable()) {
        throw ObjectNotSetError();
    }
    level->setCanHavePassword(true);
    access::ReadLevel(rs, *level);
    level->setPassword(access::TextOrEmpty(rs.Field(store::FieldPWD)));
    c->setCurrentOperator(candidate);
    candidate->setcLevel(level);
    shell::ShowDesktop(level->cLevelEnable()->AllowDesktop());
}

QString levelSql(int id) {
    return QStringLiteral("Select * from Levels where ID = ") + QString::number(id);
}

// After a login with the entry's own password: its count starts again. A reset that fails leaves the
// count, which errs on the strict side, and does not undo the login.
void resetCount(const QString& dbPath, const manage::LockoutEntry& entry) {
    try {
        manage::ClearFailedLogins(dbPath, entry);
    } catch (const std::exception& error) {
        qWarning("Could not reset the failed logins of %s: %s", qPrintable(entry.name), error.what());
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

CredentialOutcome CheckCredentials(int loginMode, int levelId, const QString& operatorName,
                                   const QString& typed, QDateTime* lockedUntil) {
    bool found = false;
    QString stored;
    QString refusedName = operatorName; // what the host is told of a refusal: never the password
    const auto candidate = Class_Operator::create();
    const QString dbPath = RequireComponent()->DbPath();
    auto db =
        store::DefaultEngine().OpenDatabase(dbPath, store::OpenMode::SharedReadOnly, store::ConnectString);
    const manage::Policy policy = manage::PolicyOf(*db);
    std::optional<manage::LockoutEntry> entry; // what a failure counts against, while the policy locks out
    std::unique_ptr<store::Recordset> rs;
    if (loginMode == LoginModeLevel) {
        rs = db->OpenRecordset(levelSql(levelId));
        if (!rs->Eof()) {
            rs->MoveFirst();
            stored = access::TextOrEmpty(rs->Field(store::FieldPWD));
            refusedName = access::TextOrEmpty(rs->Field(store::FieldName));
            found = true;
            entry = manage::LockoutEntry{manage::LockoutKind::Level, refusedName};
        }
    } else {
        const QString quoted = outside::dbUtility().SqlQuote(operatorName);
        rs = db->OpenRecordset(QStringLiteral("Select * from Operators where Name = '") + quoted +
                               QStringLiteral("'"));
        if (!rs->Eof()) {
            rs->MoveFirst();
            stored = access::TextOrEmpty(rs->Field(store::FieldPWD));
            const QString storedName = access::TextOrEmpty(rs->Field(store::FieldName));
            candidate->setOperatorName(storedName);
            candidate->setPassword(stored);
            entry = manage::LockoutEntry{manage::LockoutKind::Operator, storedName};
            rs = db->OpenRecordset(levelSql(rs->Field(store::FieldID).toInt()));
            found = !rs->Eof();
            if (found) {
                rs->MoveFirst();
            }
        }
    }

    if (policy.lockoutAttempts <= 0) {
        entry.reset();
    }
    const manage::LockState lock = entry ? manage::ReadLockState(*db, *entry) : manage::LockState{};

    CredentialOutcome outcome = CredentialOutcome::WrongPassword;
    bool ownPassword = false;
    // The remembered top password is level 0's stored form, compared the same way.
    const QString& top = Mod_Globali().loginTopPassword;
    const auto matches = [&](const QString& kept) {
        return manage::PasswordMatches(typed, kept, policy.passwordStorage);
    };
    if (found && !lock.locked && matches(stored)) {
        acceptLevel(*rs, candidate);
        outcome = CredentialOutcome::Accepted;
        ownPassword = true;
    } else if (!top.isEmpty() && matches(top)) {
        rs = db->OpenRecordset(levelSql(0));
        outcome = CredentialOutcome::NoTopLevel;
        if (!rs->Eof()) {
            rs->MoveFirst();
            acceptLevel(*rs, candidate);
            outcome = CredentialOutcome::Accepted;
        }
    }
    rs->Close();
    db->Close();
    QDateTime until = lock.until;
    if (entry && ownPassword && lock.failures > 0) {
        resetCount(dbPath, *entry);
    } else if (entry && outcome == CredentialOutcome::WrongPassword) {
        const manage::LockState counted =
            lock.locked ? lock : manage::CountFailedLogin(dbPath, *entry, policy);
        if (counted.locked) {
            outcome = CredentialOutcome::LockedOut;
            until = counted.until;
        }
    }
    if (outcome == CredentialOutcome::LockedOut && lockedUntil) {
        *lockedUntil = until;
    }
    if (outcome == CredentialOutcome::WrongPassword || outcome == CredentialOutcome::LockedOut) {
        // The database is closed: a slot may open it.
        if (const auto c = ModuleComponent()) {
            TellHost("loginFailed", [&] { Q_EMIT c->loginFailed(refusedName, loginMode); });
        }
    }
    return outcome;
}

} // namespace zav
