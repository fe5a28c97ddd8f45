#include "operations/SafetyCheck.h"

#include "operations/Clock.h"
#include "operations/DatabaseAddress.h"
#include "operations/Exchange.h"
#include "operations/PasswordHashing.h"
#include "operations/PasswordRules.h"
#include "operations/Policy.h"
#include "store/CompanionLock.h"
#include "store/ConnectOptions.h"
#include "store/Schema.h"

#include <QFile>
#include <algorithm>
#include <sys/stat.h>

namespace zav::manage {

namespace {

bool openToOthers(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 &&
           (info.st_mode & (S_IRGRP | S_IROTH)) != 0;
}

bool storedAsText(const QString& stored) {
    return !stored.isEmpty() && !IsPasswordHash(stored);
}

// What the rules miss in a stored password, in English; empty when they pass it or cannot judge it.
QString faultsOf(const Policy& policy, const QString& stored, const QStringList& names) {
    return IsPasswordHash(stored) ? QString()
                                  : DescribePasswordFaults(PasswordFaults(policy, stored, names), policy);
}

// Each level's and operator's password finding; with `onlyAgainstRules` only those of passwords the
// rules refuse.
void findEntryFindings(const Snapshot& snapshot, const Policy& policy, bool onlyAgainstRules,
                       std::vector<SafetyFinding>& found) {
    const auto add = [&](Finding finding, SafetyFinding about) {
        if (!onlyAgainstRules || !about.faults.isEmpty()) {
            about.finding = finding;
            found.push_back(std::move(about));
        }
    };
    int logoutId = -1; // a document need not list its levels by ID
    for (const auto& entry : snapshot.levels) {
        logoutId = std::max(logoutId, entry.level->ID());
    }
    for (const auto& entry : snapshot.levels) {
        const Class_Level& level = *entry.level;
        const QString password = level.Password();
        SafetyFinding about{};
        about.levelId = level.ID();
        about.levelName = level.DBLevelName();
        if (level.ID() != logoutId || !password.isEmpty()) {
            about.faults = faultsOf(policy, password, {level.DBLevelName(), level.LevelName()});
        }
        if (level.ID() == 0 &&
            PasswordMatches(store::passwordOf(store::ConnectString), password, policy.passwordStorage)) {
            add(Finding::TopPasswordIsFixedKey, about);
        } else if (level.ID() == 0 && password.isEmpty()) {
            add(Finding::TopPasswordEmpty, about);
        } else if (level.ID() > 0 && level.ID() != logoutId && password.isEmpty()) {
            add(Finding::LevelWithoutPassword, about);
        } else if (!about.faults.isEmpty()) {
            add(Finding::PasswordAgainstRules, about);
        }
    }
    for (const auto& entry : snapshot.operators) {
        SafetyFinding about{};
        about.operatorName = entry.name;
        about.faults = faultsOf(policy, entry.password, {entry.name});
        if (entry.password.isEmpty()) {
            add(Finding::OperatorWithoutPassword, about);
        } else if (!about.faults.isEmpty()) {
            add(Finding::PasswordAgainstRules, about);
        }
    }
}

void findPasswordFindings(const Snapshot& snapshot, const Policy& policy, std::vector<SafetyFinding>& found) {
    findEntryFindings(snapshot, policy, false, found);
    if (policy.passwordStorage == PasswordStorage::Hashed) {
        const auto levels =
            std::count_if(snapshot.levels.begin(), snapshot.levels.end(),
                          [](const LevelEntry& entry) { return storedAsText(entry.level->Password()); });
        const auto operators =
            std::count_if(snapshot.operators.begin(), snapshot.operators.end(),
                          [](const OperatorEntry& entry) { return storedAsText(entry.password); });
        if (levels + operators > 0) {
            found.push_back(
                {Finding::PasswordsStoredAsText, 0, {}, {}, static_cast<int>(levels + operators)});
        }
        SafetyFinding old{Finding::PasswordHashesOld, 0, {}, {}};
        for (const auto& entry : snapshot.levels) {
            if (NeedsRehash(entry.level->Password())) {
                old.levelNames << entry.level->DBLevelName();
            }
        }
        for (const auto& entry : snapshot.operators) {
            if (NeedsRehash(entry.password)) {
                old.operatorNames << entry.name;
            }
        }
        old.count = static_cast<int>(old.levelNames.size() + old.operatorNames.size());
        if (old.count > 0) {
            found.push_back(old);
        }
    }
}

// While passwords age: those past their age, and the entries whose password only someone else set (the
// level in force when nobody is logged in has none to change).
void findAgeFindings(const Snapshot& snapshot, const Policy& policy, std::vector<SafetyFinding>& found) {
    if (!snapshot.ages || !policy.AgesPasswords()) {
        return;
    }
    int logoutId = -1;
    QString logoutName;
    for (const auto& entry : snapshot.levels) {
        if (entry.level->ID() > logoutId) {
            logoutId = entry.level->ID();
            logoutName = entry.level->DBLevelName();
        }
    }
    const QDateTime now = NowUtc();
    SafetyFinding expired{Finding::PasswordsExpired, 0, {}, {}};
    SafetyFinding neverChanged{Finding::PasswordsNeverChanged, 0, {}, {}};
    for (const PasswordAge& age : *snapshot.ages) {
        const bool level = age.entry.kind == LockoutKind::Level;
        if (level && age.entry.name.compare(logoutName, Qt::CaseInsensitive) == 0) {
            continue;
        }
        if (ChangeDue(PasswordAge{age.entry, age.changedAt}, policy, now) == ChangeReason::Expired) {
            (level ? expired.levelNames : expired.operatorNames) << age.entry.name;
        }
        if (!age.byOwner) {
            (level ? neverChanged.levelNames : neverChanged.operatorNames) << age.entry.name;
        }
    }
    for (SafetyFinding* finding : {&expired, &neverChanged}) {
        finding->count = static_cast<int>(finding->levelNames.size() + finding->operatorNames.size());
        if (finding->count > 0) {
            found.push_back(*finding);
        }
    }
}

} // namespace

std::vector<SafetyFinding> FindPasswordsAgainstRules(const Snapshot& snapshot, const Policy& policy) {
    std::vector<SafetyFinding> found;
    findEntryFindings(snapshot, policy, true, found);
    return found;
}

std::vector<SafetyFinding> FindUnsafeSettings(const QString& dbPath) {
    std::vector<SafetyFinding> found;
    const Snapshot snapshot = ReadSnapshot(dbPath);
    const Policy policy = WithEntries(Policy{}, snapshot.policy);
    findPasswordFindings(snapshot, policy, found);
    findAgeFindings(snapshot, policy, found);
    // A server database has no file of its own: the server's grants decide who reads it.
    if (!IsServerDatabase(dbPath)) {
        if (openToOthers(dbPath)) {
            found.push_back({Finding::FileOpenToOthers, 0, {}, dbPath});
        }
        const QString lockPath = store::CompanionLock::pathFor(dbPath);
        if (openToOthers(lockPath)) {
            found.push_back({Finding::LockFileOpenToOthers, 0, {}, lockPath});
        }
    }
    if (policy.autoLogoutMinutes == 0) {
        found.push_back({Finding::AutoLogoutOff, 0, {}, {}});
    }
    if (!policy.AnyPasswordRule()) {
        found.push_back({Finding::NoPasswordRule, 0, {}, {}});
    }
    if (policy.lockoutAttempts == 0) {
        found.push_back({Finding::LockoutOff, 0, {}, {}});
    }
    if (!policy.audit) {
        found.push_back({Finding::AuditOff, 0, {}, {}});
    }
    if (policy.passwordStorage == PasswordStorage::Plain) {
        found.push_back({Finding::PasswordStoragePlain, 0, {}, {}});
        // Each panel's copy holds the passwords as the server stores them, in a file of its own.
        if (IsServerDatabase(dbPath) && policy.offlineLoginDays > 0) {
            found.push_back({Finding::OfflineReplicaPlain, 0, {}, {}, policy.offlineLoginDays});
        }
    }
    return found;
}

} // namespace zav::manage
