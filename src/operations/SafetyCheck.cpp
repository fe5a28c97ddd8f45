#include "operations/SafetyCheck.h"

#include "operations/DatabaseAddress.h"
#include "operations/Exchange.h"
#include "operations/PasswordHashing.h"
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

void findPasswordFindings(const Snapshot& snapshot, const Policy& policy, std::vector<SafetyFinding>& found) {
    const int logoutId = snapshot.levels.empty() ? -1 : snapshot.levels.back().level->ID();
    for (const auto& entry : snapshot.levels) {
        const Class_Level& level = *entry.level;
        const QString password = level.Password();
        if (level.ID() == 0 &&
            PasswordMatches(store::passwordOf(store::ConnectString), password, policy.passwordStorage)) {
            found.push_back({Finding::TopPasswordIsFixedKey, 0, level.DBLevelName(), {}});
        } else if (level.ID() == 0 && password.isEmpty()) {
            found.push_back({Finding::TopPasswordEmpty, 0, level.DBLevelName(), {}});
        } else if (level.ID() > 0 && level.ID() != logoutId && password.isEmpty()) {
            found.push_back({Finding::LevelWithoutPassword, level.ID(), level.DBLevelName(), {}});
        }
    }
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

} // namespace

std::vector<SafetyFinding> FindUnsafeSettings(const QString& dbPath) {
    std::vector<SafetyFinding> found;
    const Snapshot snapshot = ReadSnapshot(dbPath);
    const Policy policy = WithEntries(Policy{}, snapshot.policy);
    findPasswordFindings(snapshot, policy, found);
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
    }
    return found;
}

} // namespace zav::manage
