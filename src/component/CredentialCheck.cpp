#include "component/CredentialCheck.h"
#include "component/HostSignals.h"
#include "component/ModuleComponent.h"

#include "access/Class_Par.h"
#include "access/LevelRecord.h"
#include "base/Mod_Globali.h"
#include "base/ReportedErrors.h"
#include "language/TextLookup.h"
#include "operations/LockoutRows.h"
#include "operations/LoginRecords.h"
#include "operations/PasswordHashing.h"
#include "operations/PolicyRows.h"
#include "outside/OutsideObjects.h"
#include "shell/ShellServices.h"
#include "store/Engine.h"
#include "store/Schema.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <future>
#include <optional>

namespace zav {

namespace {
// The level a login chose, read while the database is open and made current only once the login is
// recorded: the file must be closed before the record is written.
struct ChosenLevel {
    std::shared_ptr<Class_Level> level = Class_Level::create();
    QString password;
};

ChosenLevel readChosen(const store::Recordset& rs) {
    ChosenLevel chosen;
    chosen.level->setcLevelEnable(Class_LevelEnable::create());
    access::ReadLevel(rs, *chosen.level);
    chosen.password = access::TextOrEmpty(rs.Field(store::FieldPWD));
    return chosen;
}

// A current level without its rights object (a host may assign Nothing) fails with error 91 before
// anything is recorded or changed.
std::shared_ptr<Class_Level> requireCurrentLevel() {
    const auto level = RequireModuleComponent()->CurrentLevel();
    if (!level || !level->cLevelEnable()) {
        throw ObjectNotSetError();
    }
    return level;
}

// Makes the chosen level the component's current level (rewritten in place, so references the host
// holds follow the login) and the candidate its current operator.
void acceptLevel(const ChosenLevel& chosen, const std::shared_ptr<Class_Operator>& candidate) {
    const auto level = requireCurrentLevel();
    const Class_Level& from = *chosen.level;
    level->setCanHavePassword(true);
    level->setID(from.ID());
    level->setDBLevelName(from.DBLevelName());
    level->setLevelName(from.LevelName());
    Class_LevelEnable& rights = *level->cLevelEnable();
    const Class_LevelEnable& read = *from.cLevelEnable();
    rights.setAllowManageLevel(read.AllowManageLevel());
    rights.setAllowManageOperator(read.AllowManageOperator());
    rights.setDisShutDown(read.DisShutDown());
    rights.setAllowDesktop(read.AllowDesktop());
    for (int n = 1; n <= Class_LevelEnable::CustomCount; ++n) {
        rights.setAllowCustom(n, read.AllowCustom(n));
    }
    level->setPassword(chosen.password);
    RequireModuleComponent()->setCurrentOperator(candidate);
    candidate->setcLevel(level);
    shell::ShowDesktop(rights.AllowDesktop());
}

QString levelSql(int id) {
    return QStringLiteral("Select * from Levels where ID = ") + QString::number(id);
}

// Records an accepted login (and starts the entry's count again). While the policy audits, a login
// that cannot be recorded is refused; otherwise a count that cannot be reset is only reported (it errs
// on the strict side).
void recordLogin(const QString& dbPath, const manage::LoginAttempt& attempt, const manage::Policy& policy,
                 bool failuresBefore) {
    if (policy.audit) {
        manage::RecordLogin(dbPath, attempt, policy, failuresBefore);
        return;
    }
    try {
        manage::RecordLogin(dbPath, attempt, policy, failuresBefore);
    } catch (const std::exception& error) {
        qWarning("Could not reset the failed logins of %s: %s", qPrintable(attempt.who.operatorName),
                 error.what());
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
    std::optional<ChosenLevel> own; // the level the login was meant for
    QString stored;                 // the password the login compares with: the level's, or the operator's
    const auto candidate = Class_Operator::create();
    const QString dbPath = RequireComponent()->DbPath();
    manage::LoginAttempt attempt;
    attempt.who.operatorName = loginMode == LoginModeLevel ? QString() : operatorName;
    attempt.detail = loginMode == LoginModeLevel ? QStringLiteral("by level") : QStringLiteral("by operator");
    auto db =
        store::DefaultEngine().OpenDatabase(dbPath, store::OpenMode::SharedReadOnly, store::ConnectString);
    // The operator and its level are read at one moment: levels renumbered elsewhere in between would
    // otherwise hand the operator the level that took its level's number.
    store::Transaction oneMoment(*db);
    const manage::Policy policy = manage::PolicyOf(*db);
    std::optional<manage::LockoutEntry> entry; // what a failure counts against
    std::unique_ptr<store::Recordset> rs;
    if (loginMode == LoginModeLevel) {
        rs = db->OpenRecordset(levelSql(levelId));
        if (!rs->Eof()) {
            rs->MoveFirst();
            own = readChosen(*rs);
            stored = own->password;
            entry = manage::LockoutEntry{manage::LockoutKind::Level, own->level->DBLevelName()};
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
            attempt.who.operatorName = storedName;
            entry = manage::LockoutEntry{manage::LockoutKind::Operator, storedName};
            rs = db->OpenRecordset(levelSql(rs->Field(store::FieldID).toInt()));
            if (!rs->Eof()) {
                rs->MoveFirst();
                own = readChosen(*rs);
            }
        }
    }
    if (own) {
        attempt.who.level = own->level->DBLevelName();
    }
    manage::LockState lock =
        entry && policy.lockoutAttempts > 0 ? manage::ReadLockState(*db, *entry) : manage::LockState{};
    // Level 0 is the way back in: a lock it carries from before a renumbering does not hold.
    const bool neverLocked = loginMode == LoginModeLevel && levelId == 0;
    lock.locked = lock.locked && !neverLocked;

    std::optional<ChosenLevel> accepted;
    bool topPassword = false;
    CredentialOutcome outcome = CredentialOutcome::WrongPassword;
    // The remembered top password is level 0's stored form, compared the same way.
    const QString& top = Mod_Globali().loginTopPassword;
    const manage::PasswordStorage storage = policy.passwordStorage;
    const auto matches = [&](const QString& kept) { return manage::PasswordMatches(typed, kept, storage); };
    const bool ownCounts = own && !lock.locked;
    // A hashed compare is slow on purpose: the top password's runs beside the entry's own, so that a
    // wrong password costs the time of one hash rather than two.
    std::future<bool> topMatches;
    if (ownCounts && storage == manage::PasswordStorage::Hashed && !top.isEmpty()) {
        topMatches = std::async(std::launch::async, [typed, top, storage] {
            return manage::PasswordMatches(typed, top, storage);
        });
    }
    if (ownCounts && matches(stored)) {
        accepted = own;
    } else if (!top.isEmpty() && (topMatches.valid() ? topMatches.get() : matches(top))) {
        rs = db->OpenRecordset(levelSql(0));
        outcome = CredentialOutcome::NoTopLevel;
        if (!rs->Eof()) {
            rs->MoveFirst();
            accepted = readChosen(*rs);
            topPassword = true;
        }
    }
    oneMoment.Commit();
    rs->Close();
    db->Close();

    if (accepted) {
        requireCurrentLevel();
        if (topPassword) {
            attempt.detail += QStringLiteral(", top password");
            attempt.who.level = accepted->level->DBLevelName();
        }
        if (policy.lockoutAttempts <= 0 || topPassword) {
            entry.reset(); // the top password leaves the entry's count as it is
        }
        attempt.entry = entry;
        recordLogin(dbPath, attempt, policy, lock.failures > 0);
        acceptLevel(*accepted, candidate);
        return CredentialOutcome::Accepted;
    }
    if (outcome == CredentialOutcome::WrongPassword) {
        attempt.entry = entry;
        const manage::LockState counted =
            lock.locked && !policy.audit ? lock : manage::RecordFailedLogin(dbPath, attempt, policy);
        if ((counted.locked || lock.locked) && !neverLocked) {
            outcome = CredentialOutcome::LockedOut;
            if (lockedUntil) {
                *lockedUntil = counted.locked ? counted.until : lock.until;
            }
        }
        // The database is closed: a slot may open it.
        if (const auto c = ModuleComponent()) {
            const QString refused =
                loginMode == LoginModeLevel && own ? own->level->DBLevelName() : operatorName;
            TellHost("loginFailed", [&] { Q_EMIT c->loginFailed(refused, loginMode); });
        }
    }
    return outcome;
}

} // namespace zav
