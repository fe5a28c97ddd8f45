#include "operations/Policy.h"

#include "operations/AuditRows.h"
#include "operations/BadgeRows.h"
#include "operations/ManageDatabase.h"
#include "operations/OperationErrors.h"
#include "operations/PasswordAgeRows.h"
#include "operations/PasswordRows.h"
#include "operations/PolicyRows.h"
#include "operations/ServerSafeguards.h"
#include "store/Schema.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <algorithm>

namespace zav::manage {

namespace {

enum class Kind { OnOff, Number, Storage, List };

struct KeyDef {
    const char* name;
    Kind kind;
    int largest = 0; // numbers
    bool Policy::*flag = nullptr;
    int Policy::*number = nullptr;
    QStringList Policy::*list = nullptr;
};

// Bounds far beyond any sensible setting, but small enough that later arithmetic cannot overflow.
const KeyDef Keys[] = {
    {"audit", Kind::OnOff, 0, &Policy::audit},
    {"audit-retention-days", Kind::Number, 36500, nullptr, &Policy::auditRetentionDays},
    {"lockout-attempts", Kind::Number, 1000, nullptr, &Policy::lockoutAttempts},
    {"lockout-minutes", Kind::Number, 525600, nullptr, &Policy::lockoutMinutes},
    {"auto-logout-minutes", Kind::Number, 10080, nullptr, &Policy::autoLogoutMinutes},
    {"auto-logout-warning-seconds", Kind::Number, 3600, nullptr, &Policy::autoLogoutWarningSeconds},
    {"password-min-length", Kind::Number, 128, nullptr, &Policy::passwordMinLength},
    {"password-require-digit", Kind::OnOff, 0, &Policy::passwordRequireDigit},
    {"password-require-letter", Kind::OnOff, 0, &Policy::passwordRequireLetter},
    {"password-storage", Kind::Storage},
    {"password-max-age-days", Kind::Number, 36500, nullptr, &Policy::passwordMaxAgeDays},
    {"password-history", Kind::Number, 100, nullptr, &Policy::passwordHistory},
    {"password-change-at-first-login", Kind::OnOff, 0, &Policy::passwordChangeAtFirstLogin},
    {"offline-login-days", Kind::Number, 3650, nullptr, &Policy::offlineLoginDays},
    {"offline-sync-minutes", Kind::Number, 10080, nullptr, &Policy::offlineSyncMinutes},
    {"signature-reasons", Kind::List, 50, nullptr, nullptr, &Policy::signatureReasons},
    {"signature-reason-required", Kind::OnOff, 0, &Policy::signatureReasonRequired},
    {"badge-login", Kind::OnOff, 0, &Policy::badgeLogin},
    {"badge-max-key-gap-ms", Kind::Number, 1000, nullptr, &Policy::badgeMaxKeyGapMs},
    {"badge-strip", Kind::List, 10, nullptr, nullptr, &Policy::badgeStrip},
    {"pin-min-length", Kind::Number, 32, nullptr, &Policy::pinMinLength},
};

// A list's entries, trimmed, without empty ones.
QStringList listEntries(const QString& value) {
    QStringList entries;
    for (const QString& entry : value.split(QLatin1Char('|'))) {
        if (!entry.trimmed().isEmpty()) {
            entries << entry.trimmed();
        }
    }
    return entries;
}

const KeyDef* findKey(const QString& key) {
    for (const KeyDef& def : Keys) {
        if (key == QLatin1String(def.name)) {
            return &def;
        }
    }
    return nullptr;
}

[[noreturn]] void badValue(const KeyDef& def, const QString& value, const QString& allowed) {
    throw AutomationError(ErrInvalidArgument, QStringLiteral("policy %1: '%2' is not a valid value (%3)")
                                                  .arg(QLatin1String(def.name), value, allowed));
}

QString canonicalValue(const KeyDef& def, const QString& value) {
    const QString word = value.trimmed().toLower();
    switch (def.kind) {
    case Kind::OnOff:
        if (QStringList{QStringLiteral("on"), QStringLiteral("true"), QStringLiteral("1"),
                        QStringLiteral("yes")}
                .contains(word)) {
            return QStringLiteral("on");
        }
        if (QStringList{QStringLiteral("off"), QStringLiteral("false"), QStringLiteral("0"),
                        QStringLiteral("no")}
                .contains(word)) {
            return QStringLiteral("off");
        }
        badValue(def, value, QStringLiteral("on or off"));
    case Kind::Number: {
        bool isNumber = false;
        const int number = word.toInt(&isNumber);
        const bool digitsOnly = !word.isEmpty() && std::all_of(word.begin(), word.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
        if (!isNumber || !digitsOnly || number > def.largest) {
            badValue(def, value, QStringLiteral("a whole number from 0 to %1").arg(def.largest));
        }
        return QString::number(number);
    }
    case Kind::Storage:
        if (word == QLatin1String("plain") || word == QLatin1String("hashed")) {
            return word;
        }
        badValue(def, value, QStringLiteral("plain or hashed"));
    case Kind::List: {
        const QStringList entries = listEntries(value);
        if (entries.size() > def.largest ||
            std::any_of(entries.begin(), entries.end(), [](const QString& e) { return e.size() > 200; })) {
            badValue(
                def, value,
                QStringLiteral("at most %1 texts of up to 200 characters, separated by |").arg(def.largest));
        }
        return entries.join(QLatin1Char('|'));
    }
    }
    return {};
}

void apply(Policy& policy, const KeyDef& def, const QString& canonical) {
    switch (def.kind) {
    case Kind::OnOff:
        policy.*def.flag = canonical == QLatin1String("on");
        break;
    case Kind::Number:
        policy.*def.number = canonical.toInt();
        break;
    case Kind::Storage:
        policy.passwordStorage =
            canonical == QLatin1String("hashed") ? PasswordStorage::Hashed : PasswordStorage::Plain;
        break;
    case Kind::List:
        policy.*def.list = listEntries(canonical);
        break;
    }
}

QString shown(const Policy& policy, const KeyDef& def) {
    switch (def.kind) {
    case Kind::OnOff:
        return policy.*def.flag ? QStringLiteral("on") : QStringLiteral("off");
    case Kind::Number:
        return QString::number(policy.*def.number);
    case Kind::Storage:
        break;
    case Kind::List:
        return (policy.*def.list).join(QLatin1Char('|'));
    }
    return policy.passwordStorage == PasswordStorage::Hashed ? QStringLiteral("hashed")
                                                             : QStringLiteral("plain");
}

QString textOf(const Policy& policy, const QString& key) {
    const KeyDef* def = findKey(key);
    return def ? shown(policy, *def) : QString();
}

} // namespace

QStringList PolicyKeys() {
    QStringList keys;
    for (const KeyDef& def : Keys) {
        keys << QLatin1String(def.name);
    }
    return keys;
}

PolicyEntries PolicyAsText(const Policy& policy) {
    PolicyEntries entries;
    for (const KeyDef& def : Keys) {
        entries.emplace_back(QLatin1String(def.name), shown(policy, def));
    }
    return entries;
}

QString CheckedPolicyValue(const QString& key, const QString& value) {
    const KeyDef* def = findKey(key);
    if (!def) {
        throw AutomationError(ErrInvalidArgument, QStringLiteral("'%1' is no policy key; the keys are %2")
                                                      .arg(key, PolicyKeys().join(QStringLiteral(", "))));
    }
    return canonicalValue(*def, value);
}

Policy WithEntries(Policy policy, const PolicyEntries& entries) {
    for (const auto& [key, value] : entries) {
        if (const KeyDef* def = findKey(key)) {
            try {
                apply(policy, *def, canonicalValue(*def, value));
            } catch (const AutomationError&) {
                // a value this version cannot read keeps the default
            }
        }
    }
    return policy;
}

PolicyEntries ReadPolicyRows(store::Database& db) {
    PolicyEntries entries;
    if (!db.TableExists(store::PolicyTable)) {
        return entries;
    }
    auto rs = db.OpenRecordset(QStringLiteral("Select * from %1 order by Name").arg(store::PolicyTable));
    for (; !rs->Eof(); rs->MoveNext()) {
        entries.emplace_back(rs->Field(store::FieldName).toString(), rs->Field(store::FieldValue).toString());
    }
    rs->Close();
    return entries;
}

Policy PolicyOf(store::Database& db) {
    return WithEntries(Policy{}, ReadPolicyRows(db));
}

void WritePolicyRows(store::Database& db, const PolicyEntries& entries) {
    if (entries.empty()) {
        return;
    }
    if (!db.TableExists(store::PolicyTable)) {
        db.CreateTable(store::PolicyTableDef());
    }
    WriteNamedValues(db, store::PolicyTable, entries);
}

void WriteNamedValues(store::Database& db, const QString& table, const PolicyEntries& entries) {
    for (const auto& [key, value] : entries) {
        auto rs = db.OpenRecordset(QStringLiteral("Select * from %1 where Name = ?").arg(table), {key});
        if (rs->Eof()) {
            rs->AddNew();
            rs->SetField(store::FieldName, key);
        } else {
            rs->MoveFirst();
            rs->Edit();
        }
        rs->SetField(store::FieldValue, value);
        rs->Update();
        rs->Close();
    }
}

PolicyEntries ReadPolicyEntries(const QString& dbPath) {
    auto db = OpenForReading(dbPath);
    PolicyEntries entries = ReadPolicyRows(*db);
    db->Close();
    return entries;
}

Policy ReadPolicy(const QString& dbPath) {
    return WithEntries(Policy{}, ReadPolicyEntries(dbPath));
}

void SetPolicyEntry(const QString& dbPath, const QString& key, const QString& value) {
    const QString canonical = CheckedPolicyValue(key, value);
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    const Policy before = WithEntries(Policy{}, ReadPolicyRows(*db));
    if (findKey(key)->kind == Kind::Storage) {
        if (canonical == QLatin1String("plain") && before.passwordStorage == PasswordStorage::Hashed) {
            throw AutomationError(ErrInvalidArgument,
                                  QStringLiteral("policy password-storage: the passwords are stored hashed "
                                                 "and no longer known, so they cannot be stored as text "
                                                 "again; nothing was changed"));
        }
        if (canonical == QLatin1String("hashed")) {
            HashTextPasswords(*db); // and again any text an older writer left
            HashBadgePins(*db);
        }
    }
    // The panels' copies send what they recorded offline through the owner's functions of this version.
    if (key == QLatin1String("offline-login-days") && canonical != QLatin1String("0") && db->IsServer() &&
        !(db->RoutineExists(AuditImportFunction) && db->RoutineExists(LockoutImportFunction))) {
        throw AutomationError(
            ErrInvalidArgument,
            QStringLiteral("policy offline-login-days: this server database cannot take what "
                           "panels record offline yet; its owner runs init first; nothing "
                           "was changed"));
    }
    WritePolicyRows(*db, {{key, canonical}});
    const Policy after = WithEntries(Policy{}, ReadPolicyRows(*db));
    if (after.AgesPasswords()) {
        KeepPasswordAges(*db);
    }
    if (after.badgeLogin && !KeepsBadges(*db)) {
        KeepBadges(*db);
        GrantBadges(*db); // the panels' roles read the badges as they read the operators
    }
    // Turning the audit off is the last thing the trail records.
    const AuditEvent changed{QStringLiteral("policy-changed"),
                             QStringLiteral("%1 %2 (was %3)").arg(key, canonical, textOf(before, key)),
                             {}};
    AuditWithin(*db, after.audit ? after : before, changed);
    transaction.Commit();
    db->Close();
}

} // namespace zav::manage
