#include "operations/Signatures.h"

#include "access/LevelRecord.h"
#include "operations/AuditRows.h"
#include "operations/LockoutRows.h"
#include "operations/LoginRecords.h"
#include "operations/ManageDatabase.h"
#include "operations/PasswordHashing.h"
#include "operations/PolicyRows.h"
#include "store/Schema.h"

#include <ZAV_PrjLogin/Class_Level.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <utility>

namespace zav::manage {

namespace {

// An operator as a signature reads it, in the caller's transaction.
struct PartyRead {
    bool found = false;
    QString storedName;
    QString stored; // the password as stored
    QString level;  // the stored name of its level
    std::shared_ptr<Class_LevelEnable> rights = Class_LevelEnable::create();
    LockState lock;
};

PartyRead readParty(store::Database& db, const QString& name, const Policy& policy) {
    PartyRead read;
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Operators where Name = ?"), {name});
    if (!rs->Eof()) {
        rs->MoveFirst();
        read.found = true;
        read.storedName = access::TextOrEmpty(rs->Field(store::FieldName));
        read.stored = access::TextOrEmpty(rs->Field(store::FieldPWD));
        const int levelId = rs->Field(store::FieldID).toInt();
        rs->Close();
        rs = db.OpenRecordset(QStringLiteral("Select * from Levels where ID = ?"), {levelId});
        if (!rs->Eof()) {
            rs->MoveFirst();
            const auto level = Class_Level::create();
            level->setcLevelEnable(read.rights);
            access::ReadLevel(*rs, *level);
            read.level = level->DBLevelName();
        }
        if (policy.lockoutAttempts > 0) {
            read.lock = ReadLockState(db, {LockoutKind::Operator, read.storedName});
        }
    }
    rs->Close();
    return read;
}

// The detail's keys and the fields they hold, in the order they are written.
const std::pair<const char*, QString SignatureFields::*> SignatureKeys[] = {
    {"name", &SignatureFields::name},       {"time", &SignatureFields::time},
    {"meaning", &SignatureFields::meaning}, {"action", &SignatureFields::action},
    {"reason", &SignatureFields::reason},   {"verifier", &SignatureFields::verifier}};

// The signing time as the panel's clock has it, in its own zone with the offset written out.
QString signingTime() {
    const QDateTime local = NowUtc().toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace

bool IsRightNumber(int number) {
    return number >= 1 && number <= RightDesktop;
}

bool HoldsRight(const Class_LevelEnable& rights, int number) {
    switch (number) {
    case RightManageLevels:
        return rights.AllowManageLevel();
    case RightManageOperators:
        return rights.AllowManageOperator();
    case RightShutDown:
        return rights.DisShutDown();
    case RightDesktop:
        return rights.AllowDesktop();
    default:
        return number >= 1 && number <= Class_LevelEnable::CustomCount && rights.AllowCustom(number);
    }
}

SignatureCheck CheckSignaturePassword(const QString& dbPath, const SignatureParty& party, int right) {
    auto db = OpenForReading(dbPath);
    store::Transaction oneMoment(*db);
    const Policy policy = PolicyOf(*db);
    const PartyRead read = readParty(*db, party.name, policy);
    oneMoment.Commit();
    db->Close();

    SignatureCheck check{SignatureOutcome::WrongPassword, read.storedName, read.level, {}, false};
    if (read.found && !read.lock.locked && read.stored.isEmpty()) {
        check.outcome = SignatureOutcome::NoPassword;
        return check;
    }
    if (read.found && !read.lock.locked &&
        PasswordMatches(party.password, read.stored, policy.passwordStorage)) {
        check.outcome = right == 0 || HoldsRight(*read.rights, right) ? SignatureOutcome::Signed
                                                                      : SignatureOutcome::LacksRight;
        return check;
    }
    LoginAttempt attempt;
    if (read.found) {
        attempt.entry = LockoutEntry{LockoutKind::Operator, read.storedName};
    }
    attempt.who = {read.found ? read.storedName : party.name, read.level};
    attempt.detail = QStringLiteral("signature");
    attempt.failedEvent = QStringLiteral("signature-failed");
    const RefusedLogin refused = RecordFailedLogin(dbPath, attempt, policy);
    if (read.lock.locked || refused.entry.locked) {
        check.outcome = SignatureOutcome::LockedOut;
        check.lockedUntil = read.lock.locked ? read.lock.until : refused.entry.until;
        check.lockedNow = !read.lock.locked;
    }
    return check;
}

SignatureRecord RecordSignature(const QString& dbPath, const SignatureRequest& request) {
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    const Policy policy = PolicyOf(*db);
    if (!policy.audit) {
        return {SignatureOutcome::NoAudit, {}, {}};
    }
    if (policy.signatureReasonRequired && request.reason.trimmed().isEmpty()) {
        return {SignatureOutcome::ReasonMissing, {}, {}};
    }
    std::vector<PartyRead> parties{readParty(*db, request.signer, policy)};
    if (request.verifier) {
        parties.push_back(readParty(*db, *request.verifier, policy));
    }
    for (size_t i = 0; i < parties.size(); ++i) {
        const QString named = i == 0 ? request.signer : *request.verifier;
        if (!parties[i].found) {
            return {SignatureOutcome::NoSuchOperator, named, {}};
        }
        if (parties[i].lock.locked) {
            return {SignatureOutcome::LockedOut, parties[i].storedName, {}};
        }
    }
    if (request.verifier) {
        const PartyRead& second = parties[1];
        if (second.storedName.compare(parties[0].storedName, Qt::CaseInsensitive) == 0) {
            return {SignatureOutcome::SameOperator, second.storedName, {}};
        }
        if (!HoldsRight(*second.rights, request.right)) {
            return {SignatureOutcome::LacksRight, second.storedName, {}};
        }
    }
    for (const PartyRead& party : parties) {
        if (party.lock.failures > 0) {
            ClearWithin(*db, {LockoutKind::Operator, party.storedName});
        }
    }
    const QString detail =
        SignatureDetail({parties[0].storedName, signingTime(), request.meaning, request.action,
                         request.reason.trimmed(), request.verifier ? parties[1].storedName : QString()});
    AuditWithin(*db, policy,
                {QStringLiteral("signature"), detail, AuditSubject{parties[0].storedName, parties[0].level}});
    transaction.Commit();
    db->Close();
    return {SignatureOutcome::Signed, parties[0].storedName, detail};
}

QString SignatureDetail(const SignatureFields& fields) {
    QJsonObject object;
    for (const auto& [key, field] : SignatureKeys) {
        object.insert(QLatin1String(key), fields.*field);
    }
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

std::optional<SignatureFields> ParseSignatureDetail(const QString& detail) {
    const QJsonDocument document = QJsonDocument::fromJson(detail.toUtf8());
    if (!document.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    SignatureFields fields;
    for (const auto& [key, field] : SignatureKeys) {
        const QJsonValue value = object.value(QLatin1String(key));
        if (!value.isString()) {
            return std::nullopt;
        }
        fields.*field = value.toString();
    }
    return fields;
}

} // namespace zav::manage
