#include "operations/Badges.h"

#include "access/Class_Par.h"
#include "access/LevelRecord.h"
#include "operations/AuditRows.h"
#include "operations/BadgeCodes.h"
#include "operations/BadgeRows.h"
#include "operations/LockoutRows.h"
#include "operations/LoginRecords.h"
#include "operations/LoginRows.h"
#include "operations/ManageDatabase.h"
#include "operations/OperationErrors.h"
#include "operations/PasswordHashing.h"
#include "operations/PasswordRows.h"
#include "operations/PolicyRows.h"
#include "store/Schema.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <algorithm>

namespace zav::manage {

QString MethodText(LoginMethod method) {
    switch (method) {
    case LoginMethod::Badge:
        return QStringLiteral("badge");
    case LoginMethod::BadgeAndPin:
        return QStringLiteral("badge+pin");
    case LoginMethod::Password:
        break;
    }
    return QStringLiteral("password");
}

std::optional<LoginMethod> MethodFromText(const QString& text) {
    for (const LoginMethod method : {LoginMethod::Password, LoginMethod::Badge, LoginMethod::BadgeAndPin}) {
        if (text.trimmed().compare(MethodText(method), Qt::CaseInsensitive) == 0) {
            return method;
        }
    }
    return std::nullopt;
}

// ---- the table within a caller's transaction

bool KeepsBadges(store::Database& db) {
    return db.TableExists(store::BadgesTable);
}

void KeepBadges(store::Database& db) {
    if (!KeepsBadges(db)) {
        db.CreateTable(store::BadgesTableDef());
    }
}

namespace {
// A row as read; a method this version does not know asks for the PIN as well (the stricter way).
BadgeRow badgeRowOf(const store::Recordset& rs, bool withPin) {
    return {rs.Field(store::FieldHmac).toString(), rs.Field(store::FieldName).toString(),
            MethodFromText(rs.Field(store::FieldMethod).toString()).value_or(LoginMethod::BadgeAndPin),
            withPin ? access::TextOrEmpty(rs.Field(store::FieldPIN)) : QString()};
}
} // namespace

std::vector<BadgeRow> ReadBadgeRows(store::Database& db, bool withPins) {
    std::vector<BadgeRow> rows;
    if (!KeepsBadges(db)) {
        return rows;
    }
    auto rs = db.OpenRecordset(QStringLiteral("Select Hmac, Name, Method%1 from Badges order by Name, Hmac")
                                   .arg(withPins ? QStringLiteral(", PIN") : QString()));
    for (; !rs->Eof(); rs->MoveNext()) {
        rows.push_back(badgeRowOf(*rs, withPins));
    }
    rs->Close();
    return rows;
}

void WriteBadgeRows(store::Database& db, const std::vector<BadgeRow>& rows) {
    if (rows.empty()) {
        return;
    }
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Badges where Name is null"));
    for (const BadgeRow& row : rows) {
        rs->AddNew();
        rs->SetField(store::FieldHmac, row.hmac);
        rs->SetField(store::FieldName, row.name);
        rs->SetField(store::FieldMethod, MethodText(row.method));
        rs->SetField(store::FieldPIN, row.pin.isEmpty() ? QVariant() : QVariant(row.pin));
        rs->Update();
    }
    rs->Close();
}

void DropStrayBadges(store::Database& db) {
    if (KeepsBadges(db)) {
        db.Execute(QStringLiteral("Delete * from Badges where Name not in (Select Name from Operators)"));
    }
}

void HashBadgePins(store::Database& db) {
    if (!KeepsBadges(db)) {
        return;
    }
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Badges where PIN is not null"));
    for (; !rs->Eof(); rs->MoveNext()) {
        const QString pin = rs->Field(store::FieldPIN).toString();
        if (!pin.isEmpty() && !IsPasswordHash(pin)) {
            rs->Edit();
            rs->SetField(store::FieldPIN, HashPassword(pin));
            rs->Update();
        }
    }
    rs->Close();
}

namespace {

[[noreturn]] void refuse(const QString& why) {
    throw AutomationError(ErrInvalidArgument, why);
}

void requireBadgeLogin(const Policy& policy, const BadgeKey& key) {
    if (!policy.badgeLogin) {
        refuse(QStringLiteral("badge login is off (policy badge-login); nothing was changed"));
    }
    if (!key.usable()) {
        refuse(key.why + QStringLiteral("; nothing was changed"));
    }
}

void requirePin(const QString& pin, const Policy& policy) {
    const bool digits = std::all_of(pin.begin(), pin.end(),
                                    [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    if (!digits || pin.size() < std::max(policy.pinMinLength, 1) || pin.size() > 32) {
        refuse(QStringLiteral("a PIN is %1 to 32 digits; nothing was changed")
                   .arg(std::max(policy.pinMinLength, 1)));
    }
}

QString placesFor(const QStringList& values) {
    QStringList places;
    places.fill(QStringLiteral("?"), values.size());
    return places.join(QStringLiteral(", "));
}

QVariantList bound(const QStringList& values) {
    QVariantList list;
    for (const QString& value : values) {
        list << value;
    }
    return list;
}

// The operator as stored, or nothing.
std::optional<QString> storedOperatorName(store::Database& db, const QString& name) {
    auto rs = db.OpenRecordset(QStringLiteral("Select Name from Operators where Name = ?"), {name});
    std::optional<QString> stored;
    if (!rs->Eof()) {
        rs->MoveFirst();
        stored = rs->Field(store::FieldName).toString();
    }
    rs->Close();
    return stored;
}

} // namespace

void SetBadge(const QString& dbPath, const QString& name, const QString& reading, LoginMethod method,
              const QString& pin, const BadgeKey& key) {
    if (method == LoginMethod::Password) {
        refuse(QStringLiteral("a badge's login method is badge or badge+pin; nothing was changed"));
    }
    const QString givenPin = method == LoginMethod::BadgeAndPin ? pin : QString();
    const Policy ahead = ReadPolicy(dbPath);
    requireBadgeLogin(ahead, key);
    if (method == LoginMethod::BadgeAndPin) {
        requirePin(givenPin, ahead);
    }
    const StoredFormMadeAhead pinForm(dbPath, givenPin);

    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    const Policy policy = PolicyOf(*db);
    requireBadgeLogin(policy, key);
    if (method == LoginMethod::BadgeAndPin) {
        requirePin(givenPin, policy);
    }
    const QStringList hmacs = BadgeHmacs(key.bytes, reading, policy.badgeStrip);
    if (hmacs.isEmpty()) {
        refuse(QStringLiteral("a badge reading is 1 to %1 characters; nothing was changed")
                   .arg(LongestBadgeCode));
    }
    const auto stored = storedOperatorName(*db, name);
    if (!stored) {
        throw AutomationError(ErrNoCurrentRecord, QStringLiteral("there is no operator '%1'").arg(name));
    }
    KeepBadges(*db);
    db->Execute(QStringLiteral("Delete * from Badges where Name = ?"), {*stored});
    // Checked inside the write, whose lock every panel's write takes first; the key holds it as well.
    auto taken = db->OpenRecordset(
        QStringLiteral("Select Name from Badges where Hmac in (%1)").arg(placesFor(hmacs)), bound(hmacs));
    const bool held = !taken->Eof();
    taken->Close();
    if (held) {
        throw AutomationError(ErrDuplicateKey,
                              QStringLiteral("another operator has this badge; nothing was changed"));
    }
    std::vector<BadgeRow> rows;
    for (const QString& hmac : hmacs) {
        rows.push_back({hmac, *stored, method, pinForm.under(policy.passwordStorage)});
    }
    WriteBadgeRows(*db, rows);
    AuditWithin(*db, {QStringLiteral("badge-set"),
                      QStringLiteral("operator '%1', %2").arg(*stored, MethodText(method)),
                      {}});
    transaction.Commit();
    db->Close();
}

bool RemoveBadge(const QString& dbPath, const QString& name) {
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    bool had = false;
    if (KeepsBadges(*db)) {
        auto rs = db->OpenRecordset(QStringLiteral("Select Name from Badges where Name = ?"), {name});
        had = !rs->Eof();
        QString stored = name;
        if (had) {
            rs->MoveFirst();
            stored = rs->Field(store::FieldName).toString();
        }
        rs->Close();
        if (had) {
            db->Execute(QStringLiteral("Delete * from Badges where Name = ?"), {stored});
            AuditWithin(*db,
                        {QStringLiteral("badge-removed"), QStringLiteral("operator '%1'").arg(stored), {}});
        }
    }
    transaction.Commit();
    db->Close();
    return had;
}

std::map<QString, LoginMethod> ReadLoginMethods(const QString& dbPath) {
    auto db = OpenForReading(dbPath);
    std::map<QString, LoginMethod> methods;
    for (const BadgeRow& row : ReadBadgeRows(*db)) {
        methods[row.name] = row.method;
    }
    db->Close();
    return methods;
}

// ---- the login

namespace {

// What a badge check decides by, read at one moment.
struct BadgeRead {
    Policy policy;
    std::optional<BadgeRow> badge;
    std::shared_ptr<Class_Level> level; // the operator's, with its password
    QString levelPassword, operatorPassword;
    LockState panel, own;
};

LockoutEntry panelEntry() {
    return {LockoutKind::Panel, AuditPanelName()};
}

BadgeRead readForBadge(const QString& dbPath, const BadgeKey& key, const QString& reading) {
    BadgeRead read;
    auto db = OpenForReading(dbPath);
    store::Transaction oneMoment(*db);
    read.policy = PolicyOf(*db);
    const QStringList hmacs = BadgeHmacs(key.bytes, reading, read.policy.badgeStrip);
    if (read.policy.badgeLogin && key.usable() && KeepsBadges(*db) && !hmacs.isEmpty()) {
        auto rs = db->OpenRecordset(
            QStringLiteral("Select * from Badges where Hmac in (%1)").arg(placesFor(hmacs)), bound(hmacs));
        if (!rs->Eof()) {
            rs->MoveFirst();
            read.badge = badgeRowOf(*rs, true);
        }
        rs->Close();
    }
    if (read.badge) {
        auto found = ReadStoredOperator(*db, read.badge->name);
        if (found && found->level) {
            read.operatorPassword = found->password;
            read.level = found->level->level;
            read.levelPassword = found->level->password;
        } else {
            read.badge.reset(); // its operator went since: a badge of nobody
        }
    }
    if (read.policy.lockoutAttempts > 0) {
        read.panel = ReadLockState(*db, panelEntry());
        if (read.badge) {
            read.own = ReadLockState(*db, {LockoutKind::Operator, read.badge->name});
        }
    }
    oneMoment.Commit();
    db->Close();
    return read;
}

} // namespace

CheckedBadge CheckBadge(const QString& dbPath, const QString& reading, const BadgeKey& key,
                        const std::function<std::optional<QString>(const QString&)>& askPin,
                        const std::function<void()>& beforeRecordingAcceptance) {
    CheckedBadge checked;
    const BadgeRead read = readForBadge(dbPath, key, reading);
    const Policy& policy = read.policy;
    if (!policy.badgeLogin || !key.usable()) {
        checked.outcome = BadgeOutcome::Off;
        checked.why = policy.badgeLogin ? key.why : QStringLiteral("badge login is off (policy badge-login)");
        return checked;
    }
    const bool locksOut = policy.lockoutAttempts > 0;
    if (read.panel.locked) {
        checked.outcome = BadgeOutcome::PanelLocked;
        checked.lockedUntil = read.panel.until;
        return checked;
    }
    LoginAttempt attempt;
    attempt.detail = QStringLiteral("by badge");
    if (!read.badge) {
        checked.outcome = BadgeOutcome::Unknown;
        attempt.refusal = QStringLiteral("unknown badge");
        if (locksOut) {
            attempt.entry = panelEntry();
        }
        const RefusedLogin refused = RecordFailedLogin(dbPath, attempt, policy);
        if (refused.entry.locked) {
            checked.outcome = BadgeOutcome::PanelLocked;
            checked.lockedUntil = refused.entry.until;
        }
        return checked;
    }
    const BadgeRow& badge = *read.badge;
    checked.operatorName = badge.name;
    attempt.who = {badge.name, read.level->DBLevelName()};
    const LockoutEntry own{LockoutKind::Operator, badge.name};
    if (read.own.locked) {
        checked.outcome = BadgeOutcome::LockedOut;
        checked.lockedUntil = read.own.until;
        if (policy.audit) {
            attempt.refusal = QStringLiteral("locked out");
            RecordFailedLogin(dbPath, attempt, policy);
        }
        return checked;
    }
    if (badge.method == LoginMethod::BadgeAndPin) {
        attempt.detail = QStringLiteral("by badge and PIN");
        const std::optional<QString> pin = askPin ? askPin(badge.name) : std::nullopt;
        if (!pin) {
            checked.outcome = BadgeOutcome::PinCancelled;
            return checked;
        }
        if (badge.pin.isEmpty() || !PasswordMatches(*pin, badge.pin, policy.passwordStorage)) {
            checked.outcome = BadgeOutcome::WrongPin;
            attempt.refusal = QStringLiteral("wrong PIN");
            if (locksOut) {
                attempt.entry = own;
            }
            const RefusedLogin refused = RecordFailedLogin(dbPath, attempt, policy);
            if (refused.entry.locked) {
                checked.outcome = BadgeOutcome::LockedOut;
                checked.lockedUntil = refused.entry.until;
            }
            return checked;
        }
    }
    if (beforeRecordingAcceptance) {
        beforeRecordingAcceptance();
    }
    if (locksOut && read.own.failures > 0) {
        attempt.entry = own;
    }
    if (locksOut && read.panel.failures > 0) {
        attempt.alsoCleared = panelEntry();
    }
    const AcceptedLogin recorded = RecordAcceptedLogin(dbPath, attempt, policy, badge.name);
    if (recorded.entry.locked) {
        checked.outcome = BadgeOutcome::LockedOut;
        checked.lockedUntil = recorded.entry.until;
        return checked;
    }
    checked.outcome = BadgeOutcome::Accepted;
    checked.level = read.level;
    checked.password = read.levelPassword;
    checked.who = Class_Operator::create();
    checked.who->setOperatorName(badge.name);
    checked.who->setPassword(read.operatorPassword);
    return checked;
}

} // namespace zav::manage
