#include "operations/CredentialCheck.h"

#include "access/Class_Par.h"
#include "access/LevelRecord.h"
#include "operations/LockoutRows.h"
#include "operations/LoginRecords.h"
#include "operations/LoginRows.h"
#include "operations/ManageDatabase.h"
#include "operations/PasswordAgeRows.h"
#include "operations/PasswordHashing.h"
#include "operations/PolicyRows.h"
#include "operations/ServerSafeguards.h"
#include "store/Schema.h"

#include <future>
#include <optional>

namespace zav::manage {

namespace {
// The level a login chose, handed back only once the login is recorded: the file must be closed
// before the record is written.
using ChosenLevel = StoredLevel;

// The texts of the check never change: their values are bound, so a server prepares each once per
// connection.
const QString LevelById = QStringLiteral("Select * from Levels where ID = ?");

LockoutEntry levelEntry(const ChosenLevel& level) {
    return {LockoutKind::Level, level.level->DBLevelName()};
}

// Everything a check compares with and decides by, read at one moment: the policy, the entry the login
// was meant for with its lock, and level 0 with its count. Level numbers change when another panel
// renumbers the levels; one read keeps an operator and its level together.
struct CheckRead {
    Policy policy;
    std::optional<ChosenLevel> own;    // the level the login was meant for
    QString stored;                    // what it compares with: the level's or the operator's
    std::optional<LockoutEntry> entry; // what a failure counts against
    LockState lock;
    std::optional<ChosenLevel> top; // level 0, whose password opens it from any login
    LockState topState;
    std::optional<PasswordAge> ownAge, topAge; // while the policy may ask for a change at login
    QDateTime now;                             // the database's, while passwords expire
};

CheckRead readForCheck(const CredentialRequest& request, const QString& dbPath, Class_Operator& candidate) {
    CheckRead read;
    auto db = OpenForReading(dbPath);
    store::Transaction oneMoment(*db);
    read.policy = PolicyOf(*db);
    std::unique_ptr<store::Recordset> rs;
    if (request.nameChosen && request.loginMode == LoginModeLevel) {
        rs = db->OpenRecordset(LevelById, {request.levelId});
        if (!rs->Eof()) {
            rs->MoveFirst();
            read.own = ReadStoredLevel(*rs);
            read.stored = read.own->password;
            read.entry = levelEntry(*read.own);
        }
        rs->Close();
    } else if (request.nameChosen) {
        if (auto found = ReadStoredOperator(*db, request.operatorName)) {
            read.stored = found->password;
            candidate.setOperatorName(found->name);
            candidate.setPassword(found->password);
            read.entry = LockoutEntry{LockoutKind::Operator, found->name};
            read.own = std::move(found->level);
        }
    }
    // Level 0's whole row (the rights a login takes) is read only where its password may open it: a
    // hashed one is compared after the read; a plain one opens only when it is what was typed.
    rs = db->OpenRecordset(QStringLiteral("Select ID, Name, PWD from Levels where ID = 0"));
    if (!rs->Eof()) {
        rs->MoveFirst();
        const QString topPassword = access::TextOrEmpty(rs->Field(store::FieldPWD));
        if (read.policy.passwordStorage == PasswordStorage::Hashed ||
            (!topPassword.isEmpty() && topPassword == request.typed)) {
            rs->Close();
            rs = db->OpenRecordset(LevelById, {0});
            rs->MoveFirst();
            read.top = ReadStoredLevel(*rs);
        } else {
            read.top = ChosenLevel{};
            read.top->level->setDBLevelName(access::TextOrEmpty(rs->Field(store::FieldName)));
            read.top->password = topPassword;
        }
    }
    rs->Close();
    if (read.policy.lockoutAttempts > 0) {
        if (read.entry) {
            read.lock = ReadLockState(*db, *read.entry);
        }
        if (read.top) {
            read.topState = ReadLockState(*db, levelEntry(*read.top));
        }
    }
    if (read.policy.passwordMaxAgeDays > 0 || read.policy.passwordChangeAtFirstLogin) {
        if (read.entry) {
            read.ownAge = ReadPasswordAge(*db, *read.entry);
        }
        if (read.top) {
            read.topAge = ReadPasswordAge(*db, levelEntry(*read.top));
        }
        if (read.policy.passwordMaxAgeDays > 0) {
            read.now = DatabaseNow(*db);
        }
    }
    oneMoment.Commit();
    db->Close();
    return read;
}
} // namespace

CheckedLogin CheckCredentials(const QString& dbPath, const CredentialRequest& request,
                              const std::function<void()>& beforeRecordingAcceptance,
                              const std::function<std::optional<QString>(const DueChange&)>& changePassword) {
    const auto candidate = Class_Operator::create();
    const bool byLevel = request.loginMode == LoginModeLevel;
    CheckRead read = readForCheck(request, dbPath, *candidate);
    const Policy& policy = read.policy;
    const bool locksOut = policy.lockoutAttempts > 0;

    // Level 0 chosen by level is a try of its password like any other: it never locks, it waits.
    const bool ownIsTop = byLevel && read.own && read.own->level->ID() == 0;
    if (ownIsTop) {
        read.entry.reset();
        read.lock = {};
    }
    const int topWait = read.top ? TopPasswordWaitSeconds(read.topState, policy) : 0;
    const bool ownTried = read.own && !read.lock.locked && !(ownIsTop && topWait > 0);
    // An empty password of level 0 never opens it by the way in: an empty box is no password.
    const bool topTried = !ownIsTop && read.top && !read.top->password.isEmpty() && topWait == 0;

    const PasswordStorage storage = policy.passwordStorage;
    const QString typed = request.typed;
    const auto matches = [&](const QString& kept) { return PasswordMatches(typed, kept, storage); };
    // A hashed compare is slow on purpose: level 0's runs beside the entry's own, so that a wrong
    // password costs the time of one hash rather than two.
    std::future<bool> topMatches;
    if (ownTried && topTried && storage == PasswordStorage::Hashed) {
        topMatches = std::async(std::launch::async, [typed, top = read.top->password, storage] {
            return PasswordMatches(typed, top, storage);
        });
    }
    const bool ownOpens = ownTried && matches(read.stored);
    const bool topOpens =
        !ownOpens && topTried && (topMatches.valid() ? topMatches.get() : matches(read.top->password));

    LoginAttempt attempt;
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
    CheckedLogin checked;
    CredentialVerdict& verdict = checked.verdict;
    checked.refusedName = byLevel && read.own ? read.own->level->DBLevelName() : request.operatorName;

    if (ownOpens || topOpens) {
        if (beforeRecordingAcceptance) {
            beforeRecordingAcceptance();
        }
        ChosenLevel opened = ownOpens ? *read.own : *read.top;
        const bool operatorsOwn = ownOpens && !byLevel;
        // A password too old, or one someone else gave an operator, opens only once it is changed.
        const ChangeReason due = ChangeDue(ownOpens ? read.ownAge : read.topAge, policy, read.now);
        if (due != ChangeReason::None) {
            const DueChange change{due, operatorsOwn ? LockoutKind::Operator : LockoutKind::Level,
                                   opened.level, opened.password, candidate};
            const std::optional<QString> changed = changePassword ? changePassword(change) : std::nullopt;
            if (!changed) {
                verdict.outcome = CredentialOutcome::ChangeRefused;
                return checked;
            }
            if (operatorsOwn) {
                read.stored = *changed;
                candidate->setPassword(*changed);
            } else {
                opened.password = *changed;
            }
        }
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
        const QString openedStored = operatorsOwn ? read.stored : opened.password;
        if (due == ChangeReason::None && storage == PasswordStorage::Hashed && NeedsRehash(openedStored)) {
            attempt.upgrade =
                HashUpgrade{operatorsOwn ? LockoutKind::Operator : LockoutKind::Level,
                            operatorsOwn ? candidate->OperatorNameText() : opened.level->DBLevelName(),
                            openedStored, HashPassword(typed)};
        }
        const AcceptedLogin recorded = RecordAcceptedLogin(dbPath, attempt, policy, checked.refusedName);
        if (!recorded.entry.locked) {
            checked.level = opened.level;
            checked.password = opened.password;
            if (recorded.upgraded && operatorsOwn) {
                now->setPassword(attempt.upgrade->replacement);
            } else if (recorded.upgraded) {
                checked.password = attempt.upgrade->replacement;
            }
            checked.who = now;
            verdict.outcome = CredentialOutcome::Accepted;
            return checked;
        }
        // Another panel's failures locked the entry after the check read it: the lock holds.
        verdict.outcome = CredentialOutcome::LockedOut;
        verdict.lockedUntil = recorded.entry.until;
        return checked;
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
    RefusedLogin refused;
    if (policy.audit || attempt.topEntry || (attempt.entry && !read.lock.locked)) {
        refused = RecordFailedLogin(dbPath, attempt, policy);
    }
    if (read.lock.locked || refused.entry.locked) {
        verdict.outcome = CredentialOutcome::LockedOut;
        verdict.lockedUntil = refused.entry.locked ? refused.entry.until : read.lock.until;
    } else if (nothingTried) {
        verdict.outcome = CredentialOutcome::TopPasswordWaits;
        verdict.waitSeconds = topWait;
    }
    return checked;
}

} // namespace zav::manage
