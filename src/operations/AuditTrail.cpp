#include "operations/AuditTrail.h"

#include "operations/AuditRows.h"
#include "operations/Clock.h"
#include "operations/ManageDatabase.h"
#include "operations/PolicyRows.h"
#include "store/Schema.h"

#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace zav::manage {

namespace {

thread_local std::function<AuditSubject()> actorSource;

const QString FirstSeal = QStringLiteral("first");
const QString LastSeal = QStringLiteral("last");

QString lookUpOsUser() {
    // The account the process runs as, not what the environment claims.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        return QString::fromLocal8Bit(found->pw_name);
    }
    return QString::number(geteuid());
}

const QString& osUserName() {
    static const QString name = lookUpOsUser();
    return name;
}

const QString& panelName() {
    static const QString name = QSysInfo::machineHostName();
    return name;
}

AuditRow rowFrom(const store::Recordset& rs) {
    AuditRow row;
    row.seq = rs.Field(store::FieldSeq).toInt();
    row.time = rs.Field(store::FieldTime).toString();
    row.panel = rs.Field(store::FieldPanel).toString();
    row.osUser = rs.Field(store::FieldOsUser).toString();
    row.event = rs.Field(store::FieldEvent).toString();
    row.operatorName = rs.Field(store::FieldOperator).toString();
    row.level = rs.Field(store::FieldLevel).toString();
    row.detail = rs.Field(store::FieldDetail).toString();
    row.previous = rs.Field(store::FieldPrevious).toString();
    row.hash = rs.Field(store::FieldHash).toString();
    return row;
}

AuditSeal readSeal(store::Database& db) {
    AuditSeal seal;
    if (!db.TableExists(store::AuditSealTable)) {
        return seal;
    }
    auto rs = db.OpenRecordset(QStringLiteral("Select * from %1").arg(store::AuditSealTable));
    for (; !rs->Eof(); rs->MoveNext()) {
        const QString name = rs->Field(store::FieldName).toString();
        const int seq = rs->Field(store::FieldSeq).toInt();
        const QString hash = rs->Field(store::FieldHash).toString();
        if (name == FirstSeal) {
            seal.firstSeq = seq;
            seal.firstPrevious = hash;
        } else if (name == LastSeal) {
            seal.lastSeq = seq;
            seal.lastHash = hash;
        }
    }
    rs->Close();
    return seal;
}

void writeSealEntry(store::Database& db, const QString& name, int seq, const QString& hash) {
    auto rs = db.OpenRecordset(QStringLiteral("Select * from %1 where Name = ?").arg(store::AuditSealTable),
                               {name});
    if (rs->Eof()) {
        rs->AddNew();
        rs->SetField(store::FieldName, name);
    } else {
        rs->MoveFirst();
        rs->Edit();
    }
    rs->SetField(store::FieldSeq, seq);
    rs->SetField(store::FieldHash, hash);
    rs->Update();
    rs->Close();
}

} // namespace

void EnsureAuditTables(store::Database& db) {
    if (!db.TableExists(store::AuditTable)) {
        db.CreateTable(store::AuditTableDef());
    }
    if (!db.TableExists(store::AuditSealTable)) {
        db.CreateTable(store::AuditSealTableDef());
        writeSealEntry(db, FirstSeal, 1, QString());
    }
}

namespace {

// Appends the events in order after the seal's last row, through one recordset, and moves the seal.
void append(store::Database& db, AuditSeal& seal, const std::vector<AuditEvent>& events,
            const QString& time) {
    // Only added to: a recordset of no rows, so a long trail is not read for it.
    auto rs = db.OpenRecordset(QStringLiteral("Select * from %1 where Seq < 0").arg(store::AuditTable));
    for (const AuditEvent& event : events) {
        AuditSubject subject;
        if (event.subject) {
            subject = *event.subject;
        } else if (actorSource) {
            subject = actorSource();
        }
        AuditRow row;
        row.seq = seal.lastSeq + 1;
        row.time = time;
        row.panel = panelName();
        row.osUser = osUserName();
        row.event = event.event;
        row.operatorName = subject.operatorName;
        row.level = subject.level;
        row.detail = event.detail;
        row.previous = seal.lastHash;
        row.hash = AuditRowHash(row);
        rs->AddNew();
        rs->SetField(store::FieldSeq, row.seq);
        rs->SetField(store::FieldTime, row.time);
        rs->SetField(store::FieldPanel, row.panel);
        rs->SetField(store::FieldOsUser, row.osUser);
        rs->SetField(store::FieldEvent, row.event);
        rs->SetField(store::FieldOperator, row.operatorName);
        rs->SetField(store::FieldLevel, row.level);
        rs->SetField(store::FieldDetail, row.detail);
        rs->SetField(store::FieldPrevious, row.previous);
        rs->SetField(store::FieldHash, row.hash);
        rs->Update();
        seal.lastSeq = row.seq;
        seal.lastHash = row.hash;
    }
    rs->Close();
    writeSealEntry(db, LastSeal, seal.lastSeq, seal.lastHash);
}

// Removes the oldest rows up to the first one within the retention (whole rows, from the start, so the
// rest still chains) and returns the row that records it, or nothing when no row was old enough.
std::optional<AuditEvent> applyRetention(store::Database& db, AuditSeal& seal, int days,
                                         const QDateTime& now) {
    if (days <= 0 || seal.lastSeq < seal.firstSeq) {
        return std::nullopt;
    }
    const QString cutoff = AuditTimeText(now.addDays(-days));
    auto oldest = db.OpenRecordset(QStringLiteral("Select * from %1 order by Seq").arg(store::AuditTable));
    const bool anyOld = !oldest->Eof() && oldest->Field(store::FieldTime).toString() < cutoff;
    oldest->Close();
    if (!anyOld) {
        return std::nullopt;
    }
    auto kept = db.OpenRecordset(
        QStringLiteral("Select * from %1 where Time >= ? order by Seq").arg(store::AuditTable), {cutoff});
    int firstKept = seal.lastSeq + 1;
    QString keptPrevious = seal.lastHash;
    if (!kept->Eof()) {
        firstKept = kept->Field(store::FieldSeq).toInt();
        keptPrevious = kept->Field(store::FieldPrevious).toString();
    }
    kept->Close();
    const int removedFrom = seal.firstSeq;
    db.Execute(QStringLiteral("Delete * from %1 where Seq < ?").arg(store::AuditTable), {firstKept});
    writeSealEntry(db, FirstSeal, firstKept, keptPrevious);
    seal.firstSeq = firstKept;
    seal.firstPrevious = keptPrevious;
    return AuditEvent{QStringLiteral("retention"),
                      QStringLiteral("removed rows %1 to %2, older than %3 days (before %4)")
                          .arg(removedFrom)
                          .arg(firstKept - 1)
                          .arg(days)
                          .arg(cutoff),
                      AuditSubject{}};
}

void appendWithin(store::Database& db, const Policy& policy, const std::vector<AuditEvent>& events) {
    if (!policy.audit || events.empty()) {
        return;
    }
    EnsureAuditTables(db);
    AuditSeal seal = readSeal(db);
    const QDateTime now = NowUtc();
    const QString time = AuditTimeText(now);
    if (const auto removal = applyRetention(db, seal, policy.auditRetentionDays, now)) {
        append(db, seal, {*removal}, time);
    }
    append(db, seal, events, time);
}

} // namespace

QString AuditTimeText(const QDateTime& utc) {
    return utc.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

void SetAuditActorSource(std::function<AuditSubject()> source) {
    actorSource = std::move(source);
}

void AuditWithin(store::Database& db, const Policy& policy, const AuditEvent& event) {
    appendWithin(db, policy, {event});
}

void AuditWithin(store::Database& db, const AuditEvent& event) {
    AuditWithin(db, WithEntries(Policy{}, ReadPolicyRows(db)), event);
}

void RecordAuditEvents(const QString& dbPath, const Policy& policy, const std::vector<AuditEvent>& events) {
    if (!policy.audit) {
        return;
    }
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    // The policy may have changed since the caller read it: the one in the file now decides.
    appendWithin(*db, WithEntries(Policy{}, ReadPolicyRows(*db)), events);
    transaction.Commit();
    db->Close();
}

void RecordAuditEvent(const QString& dbPath, const Policy& policy, const AuditEvent& event) {
    RecordAuditEvents(dbPath, policy, {event});
}

std::vector<AuditRow> ReadAuditRows(const QString& dbPath, const QDateTime& since, const QDateTime& until) {
    std::vector<AuditRow> rows;
    auto db = OpenForReading(dbPath);
    if (db->TableExists(store::AuditTable)) {
        QStringList bounds;
        QVariantList times;
        if (since.isValid()) {
            bounds << QStringLiteral("Time >= ?");
            times << AuditTimeText(since);
        }
        if (until.isValid()) {
            bounds << QStringLiteral("Time <= ?");
            times << AuditTimeText(until);
        }
        const QString where =
            bounds.isEmpty() ? QString() : QStringLiteral(" where ") + bounds.join(QStringLiteral(" and "));
        auto rs = db->OpenRecordset(
            QStringLiteral("Select * from %1%2 order by Seq").arg(store::AuditTable, where), times);
        for (; !rs->Eof(); rs->MoveNext()) {
            rows.push_back(rowFrom(*rs));
        }
        rs->Close();
    }
    db->Close();
    return rows;
}

AuditVerdict VerifyAuditTrail(const QString& dbPath) {
    std::vector<AuditRow> rows;
    AuditSeal seal;
    {
        auto db = OpenForReading(dbPath);
        // One read transaction: a panel appending meanwhile cannot put the rows and the seal out of step.
        store::Transaction snapshot(*db);
        seal = readSeal(*db);
        if (db->TableExists(store::AuditTable)) {
            auto rs =
                db->OpenRecordset(QStringLiteral("Select * from %1 order by Seq").arg(store::AuditTable));
            for (; !rs->Eof(); rs->MoveNext()) {
                rows.push_back(rowFrom(*rs));
            }
            rs->Close();
        }
        snapshot.Commit();
        db->Close();
    }
    return VerifyAuditRows(rows, seal);
}

} // namespace zav::manage
