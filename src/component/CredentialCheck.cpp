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
    level->setCanHavePassword(true);
    access::CopyLevel(*chosen.level, *level);
    level->setPassword(chosen.password);
    RequireModuleComponent()->setCurrentOperator(candidate);
    candidate->setcLevel(level);
    shell::ShowDesktop(level->cLevelEnable()->AllowDesktop());
}

// The texts of the check never change: their values are bound, so a server prepares each once per
// connection.
const QString LevelById = QStringLiteral("Select * from Levels where ID = ?");

manage::LockoutEntry levelEntry(const ChosenLevel& level) {
    return {manage::LockoutKind::Level, level.level->DBLevelName()};
}

// Everything a check compares with and decides by, read at one moment: the policy, the entry the login
// was meant for with its lock, and level 0 with its count. Level numbers change when another panel
// renumbers the levels; one read keeps an operator and its level together.
struct CheckRead {
    manage::Policy policy;
    std::optional<ChosenLevel> own;            // the level the login was meant for
    QString stored;                            // what it compares with: the level's or the operator's
    std::optional<manage::LockoutEntry> entry; // what a failure counts against
    manage::LockState lock;
    std::optional<ChosenLevel> top; // level 0, whose password opens it from any login
    manage::LockState topState;
};

CheckRead readForCheck(const CredentialRequest& request, const QString& dbPath, Class_Operator& candidate) {
    CheckRead read;
    auto db =
        store::DefaultEngine().OpenDatabase(dbPath, store::OpenMode::SharedReadOnly, store::ConnectString);
    store::Transaction oneMoment(*db);
    read.policy = manage::PolicyOf(*db);
    std::unique_ptr<store::Recordset> rs;
    if (request.nameChosen && request.loginMode == LoginModeLevel) {
        rs = db->OpenRecordset(LevelById, {request.levelId});
        if (!rs->Eof()) {
            rs->MoveFirst();
            read.own = readChosen(*rs);
            read.stored = read.own->password;
            read.entry = levelEntry(*read.own);
        }
        rs->Close();
    } else if (request.nameChosen) {
        rs = db->OpenRecordset(QStringLiteral("Select * from Operators where Name = ?"),
                               {request.operatorName});
        if (!rs->Eof()) {
            rs->MoveFirst();
            read.stored = access::TextOrEmpty(rs->Field(store::FieldPWD));
            const QString storedName = access::TextOrEmpty(rs->Field(store::FieldName));
            candidate.setOperatorName(storedName);
            candidate.setPassword(read.stored);
            read.entry = manage::LockoutEntry{manage::LockoutKind::Operator, storedName};
            const int levelId = rs->Field(store::FieldID).toInt();
            rs->Close();
            rs = db->OpenRecordset(LevelById, {levelId});
            if (!rs->Eof()) {
                rs->MoveFirst();
                read.own = readChosen(*rs);
            }
        }
        rs->Close();
    }
    // Level 0's whole row (the rights a login takes) is read only where its password may open it: a
    // hashed one is compared after the read; a plain one opens only when it is what was typed.
    rs = db->OpenRecordset(QStringLiteral("Select ID, Name, PWD from Levels where ID = 0"));
    if (!rs->Eof()) {
        rs->MoveFirst();
        const QString topPassword = access::TextOrEmpty(rs->Field(store::FieldPWD));
        if (read.policy.passwordStorage == manage::PasswordStorage::Hashed ||
            (!topPassword.isEmpty() && topPassword == request.typed)) {
            rs->Close();
            rs = db->OpenRecordset(LevelById, {0});
            rs->MoveFirst();
            read.top = readChosen(*rs);
        } else {
            read.top = ChosenLevel{};
            read.top->level->setDBLevelName(access::TextOrEmpty(rs->Field(store::FieldName)));
            read.top->password = topPassword;
        }
    }
    rs->Close();
    if (read.policy.lockoutAttempts > 0) {
        if (read.entry) {
            read.lock = manage::ReadLockState(*db, *read.entry);
        }
        if (read.top) {
            read.topState = manage::ReadLockState(*db, levelEntry(*read.top));
        }
    }
    oneMoment.Commit();
    db->Close();
    return read;
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
    const auto candidate = Class_Operator::create();
    const QString dbPath = RequireComponent()->DbPath();
    const bool byLevel = request.loginMode == LoginModeLevel;
    CheckRead read = readForCheck(request, dbPath, *candidate);
    const manage::Policy& policy = read.policy;
    const bool locksOut = policy.lockoutAttempts > 0;

    // Level 0 chosen by level is a try of its password like any other: it never locks, it waits.
    const bool ownIsTop = byLevel && read.own && read.own->level->ID() == 0;
    if (ownIsTop) {
        read.entry.reset();
        read.lock = {};
    }
    const int topWait = read.top ? manage::TopPasswordWaitSeconds(read.topState, policy) : 0;
    const bool ownTried = read.own && !read.lock.locked && !(ownIsTop && topWait > 0);
    // An empty password of level 0 never opens it by the way in: an empty box is no password.
    const bool topTried = !ownIsTop && read.top && !read.top->password.isEmpty() && topWait == 0;

    const manage::PasswordStorage storage = policy.passwordStorage;
    const QString typed = request.typed;
    const auto matches = [&](const QString& kept) { return manage::PasswordMatches(typed, kept, storage); };
    // A hashed compare is slow on purpose: level 0's runs beside the entry's own, so that a wrong
    // password costs the time of one hash rather than two.
    std::future<bool> topMatches;
    if (ownTried && topTried && storage == manage::PasswordStorage::Hashed) {
        topMatches = std::async(std::launch::async, [typed, top = read.top->password, storage] {
            return manage::PasswordMatches(typed, top, storage);
        });
    }
    const bool ownOpens = ownTried && matches(read.stored);
    const bool topOpens =
        !ownOpens && topTried && (topMatches.valid() ? topMatches.get() : matches(read.top->password));

    manage::LoginAttempt attempt;
    // The operator as stored, or the name as chosen when nobody has it.
    const QString storedName = candidate->OperatorNameText();
    attempt.who.operatorName = byLevel ? QString() : storedName.isEmpty() ? request.operatorName : storedName;
    if (read.own) {
        attempt.who.level = read.own->level->DBLevelName();
    }
    attempt.detail = byLevel ? QStringLiteral("by level") : QStringLiteral("by operator");
    if (!request.nameChosen) {
        attempt.detail += QStringLiteral(", no name chosen");
    }
    CredentialVerdict verdict;
    const QString refusedName = byLevel && read.own ? read.own->level->DBLevelName() : request.operatorName;

    if (ownOpens || topOpens) {
        requireCurrentLevel();
        const ChosenLevel& opened = ownOpens ? *read.own : *read.top;
        std::shared_ptr<Class_Operator> now = candidate;
        if (topOpens || ownIsTop) {
            // Level 0's password names nobody: whoever typed it is not the operator chosen.
            now = Class_Operator::create();
            attempt.who = {QString(), opened.level->DBLevelName()};
            if (topOpens) {
                attempt.detail += QStringLiteral(", top password");
            }
            if (locksOut && read.topState.failures > 0) {
                attempt.topEntry = levelEntry(opened);
            }
        } else if (locksOut && read.lock.failures > 0) {
            attempt.entry = read.entry;
        }
        // A hash of an older form is replaced now that the password is known.
        const bool operatorsOwn = ownOpens && !byLevel;
        const QString openedStored = operatorsOwn ? read.stored : opened.password;
        if (storage == manage::PasswordStorage::Hashed && manage::NeedsRehash(openedStored)) {
            attempt.upgrade = manage::HashUpgrade{
                operatorsOwn ? manage::LockoutKind::Operator : manage::LockoutKind::Level,
                operatorsOwn ? candidate->OperatorNameText() : opened.level->DBLevelName(), openedStored,
                manage::HashPassword(typed)};
        }
        manage::AcceptedLogin recorded;
        if (policy.audit) {
            recorded = manage::RecordLogin(dbPath, attempt, policy); // a login that cannot be recorded fails
        } else {
            // Without the audit the check's own read decided: a count that cannot be reset now errs on
            // the strict side, and a hash that cannot be replaced is replaced at a later login.
            try {
                recorded = manage::RecordLogin(dbPath, attempt, policy);
            } catch (const std::exception& error) {
                qWarning("Could not record the login of %s: %s", qPrintable(refusedName), error.what());
            }
        }
        if (!recorded.entry.locked) {
            ChosenLevel taken = opened;
            if (recorded.upgraded && operatorsOwn) {
                now->setPassword(attempt.upgrade->replacement);
            } else if (recorded.upgraded) {
                taken.password = attempt.upgrade->replacement;
            }
            acceptLevel(taken, now);
            verdict.outcome = CredentialOutcome::Accepted;
            return verdict;
        }
        // Another panel's failures locked the entry after the check read it: the lock holds.
        verdict.outcome = CredentialOutcome::LockedOut;
        verdict.lockedUntil = recorded.entry.until;
        tellHostRefused(refusedName, request.loginMode);
        return verdict;
    }

    const bool nothingTried = !ownTried && !topTried && topWait > 0 && (!request.nameChosen || ownIsTop);
    if (locksOut && read.entry) {
        attempt.entry = read.entry; // a locked one counts no more; its refusal is recorded as such
    }
    if (locksOut && read.top && (topTried || (ownIsTop && ownTried))) {
        attempt.topEntry = levelEntry(*read.top);
    }
    if (nothingTried) {
        attempt.waitedSeconds = topWait;
    }
    manage::RefusedLogin refused;
    if (policy.audit || attempt.topEntry || (attempt.entry && !read.lock.locked)) {
        refused = manage::RecordFailedLogin(dbPath, attempt, policy);
    }
    if (read.lock.locked || refused.entry.locked) {
        verdict.outcome = CredentialOutcome::LockedOut;
        verdict.lockedUntil = refused.entry.locked ? refused.entry.until : read.lock.until;
    } else if (nothingTried) {
        verdict.outcome = CredentialOutcome::TopPasswordWaits;
        verdict.waitSeconds = topWait;
    }
    tellHostRefused(refusedName, request.loginMode);
    return verdict;
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
