#include "operations/AuditTrail.h"

#include "operations/AuditRows.h"
#include "operations/Clock.h"
#include "operations/ManageDatabase.h"
#include "operations/PolicyRows.h"
#include "operations/ServerSafeguards.h"
#include "store/Schema.h"

#include "outside/SystemLog.h"

#include <QRegularExpression>
#include <QSysInfo>
#include <QUuid>

#include <pwd.h>
#include <unistd.h>

namespace zav::manage {

namespace {

thread_local std::function<AuditSubject()> actorSource;

const QString FirstSeal = QStringLiteral("first");
const QString LastSeal = QStringLiteral("last");
const QString CountSeal = QStringLiteral("rows"); // its Hash is the seal's own
const QString IdentitySeal = QStringLiteral("identity");
// The clock may run this far past the newest row before a retention stops trusting it.
constexpr qint64 ClockAheadLimitSeconds = 24 * 60 * 60;

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
    bool counted = false;
    bool named = false;
    auto rs = db.OpenRecordset(QStringLiteral("Select * from %1").arg(store::AuditSealTable));
    for (; !rs->Eof(); rs->MoveNext()) {
        seal.present = true;
        const QString name = rs->Field(store::FieldName).toString();
        const int seq = rs->Field(store::FieldSeq).toInt();
        const QString hash = rs->Field(store::FieldHash).toString();
        if (name == FirstSeal) {
            seal.firstSeq = seq;
            seal.firstPrevious = hash;
        } else if (name == LastSeal) {
            seal.lastSeq = seq;
            seal.lastHash = hash;
        } else if (name == CountSeal) {
            seal.rows = seq;
            seal.hash = hash;
            counted = true;
        } else if (name == IdentitySeal) {
            seal.identity = hash;
            named = true;
        }
    }
    rs->Close();
    seal.complete = counted && named;
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

// Writes the seal's moving entries, and all of them for a seal that is new or of an older version.
void writeSeal(store::Database& db, AuditSeal& seal) {
    const bool whole = !seal.complete;
    if (seal.identity.isEmpty()) {
        seal.identity = QUuid::createUuid().toString(QUuid::WithoutBraces);
    }
    seal.rows = seal.lastSeq >= seal.firstSeq ? seal.lastSeq - seal.firstSeq + 1 : 0;
    seal.hash = AuditSealHash(seal);
    if (whole) {
        writeSealEntry(db, IdentitySeal, 0, seal.identity);
        writeSealEntry(db, FirstSeal, seal.firstSeq, seal.firstPrevious);
    }
    writeSealEntry(db, LastSeal, seal.lastSeq, seal.lastHash);
    writeSealEntry(db, CountSeal, seal.rows, seal.hash);
    seal.present = seal.complete = true;
}

// The time of the trail's newest row, or nothing before the first row.
std::optional<QDateTime> newestRowTime(store::Database& db, const AuditSeal& seal) {
    if (seal.lastSeq < seal.firstSeq) {
        return std::nullopt;
    }
    auto rs = db.OpenRecordset(QStringLiteral("Select Time from %1 where Seq = ?").arg(store::AuditTable),
                               {seal.lastSeq});
    std::optional<QDateTime> time;
    if (!rs->Eof()) {
        time = QDateTime::fromString(rs->Field(store::FieldTime).toString(), Qt::ISODateWithMs);
    }
    rs->Close();
    return time && time->isValid() ? time : std::nullopt;
}

} // namespace

void EnsureAuditTables(store::Database& db) {
    const bool newTrail = !db.TableExists(store::AuditTable);
    if (newTrail) {
        db.CreateTable(store::AuditTableDef());
    }
    if (!db.TableExists(store::AuditSealTable)) {
        db.CreateTable(store::AuditSealTableDef());
        if (newTrail) {
            AuditSeal seal;
            writeSeal(db, seal);
        }
    }
}

namespace {

AuditSubject subjectOf(const AuditEvent& event) {
    if (event.subject) {
        return *event.subject;
    }
    return actorSource ? actorSource() : AuditSubject{};
}

AuditRow rowFor(const AuditEvent& event, const AuditSeal& seal, const QString& time) {
    const AuditSubject subject = subjectOf(event);
    AuditRow row;
    row.seq = seal.lastSeq + 1;
    row.time = time;
    row.panel = AuditPanelName();
    row.osUser = osUserName();
    row.event = event.event;
    row.operatorName = subject.operatorName;
    row.level = subject.level;
    row.detail = event.detail;
    row.previous = seal.lastHash;
    row.hash = AuditRowHash(row);
    return row;
}

// Appends the events in order after the seal's last row, through one recordset, and moves the seal.
void append(store::Database& db, AuditSeal& seal, const std::vector<AuditEvent>& events,
            const QString& time) {
    // Only added to: a recordset of no rows, so a long trail is not read for it.
    auto rs = db.OpenRecordset(QStringLiteral("Select * from %1 where Seq < 0").arg(store::AuditTable));
    for (const AuditEvent& event : events) {
        const AuditRow row = rowFor(event, seal, time);
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
    writeSeal(db, seal);
}

// A seal that is gone while its trail is not: a new one goes on after the newest row left, and the
// first row under it says so, which every verification from then on reports.
AuditEvent resealAfterNewestRow(store::Database& db, AuditSeal& seal) {
    seal = AuditSeal{};
    auto rs =
        db.OpenRecordset(QStringLiteral("Select Seq, Hash from %1 order by Seq desc").arg(store::AuditTable));
    if (!rs->Eof()) {
        seal.lastSeq = rs->Field(store::FieldSeq).toInt();
        seal.lastHash = rs->Field(store::FieldHash).toString();
        seal.firstSeq = seal.lastSeq + 1;
        seal.firstPrevious = seal.lastHash;
    }
    rs->Close();
    return AuditEvent{
        QStringLiteral("seal-missing"),
        QStringLiteral("the trail's seal was gone; a new one starts after row %1").arg(seal.lastSeq),
        AuditSubject{}};
}

// The seconds a clock row says the trail did not see: a retention does not count them.
qint64 unseenSeconds(const QString& clockDetail) {
    static const QRegularExpression seconds(QStringLiteral(", (\\d+) s after the newest row"));
    const auto match = seconds.match(clockDetail);
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}

// Removes the oldest rows up to the first one within the retention (whole rows, from the start, so the
// rest still chains) and returns the row that records it, or nothing when no row was old enough. The
// age is counted back from the newest row, less the time a clock row says the trail did not see, so a
// clock set ahead can never age the trail.
std::optional<AuditEvent> applyRetention(store::Database& db, AuditSeal& seal, int days,
                                         const QDateTime& newest) {
    QDateTime cutoff = newest.addDays(-days);
    const auto oldestBefore = [&](const QDateTime& time) {
        auto oldest = db.OpenRecordset(
            QStringLiteral("Select Time from %1 where Seq = ?").arg(store::AuditTable), {seal.firstSeq});
        const bool old = !oldest->Eof() && oldest->Field(store::FieldTime).toString() < AuditTimeText(time);
        oldest->Close();
        return old;
    };
    if (!oldestBefore(cutoff)) {
        return std::nullopt; // the common case, read from one row
    }
    auto jumps =
        db.OpenRecordset(QStringLiteral("Select Time, Detail from %1 where Event = 'clock' order by Seq desc")
                             .arg(store::AuditTable));
    for (; !jumps->Eof(); jumps->MoveNext()) {
        if (jumps->Field(store::FieldTime).toString() >= AuditTimeText(cutoff)) {
            cutoff = cutoff.addSecs(-unseenSeconds(jumps->Field(store::FieldDetail).toString()));
        }
    }
    jumps->Close();
    const QString before = AuditTimeText(cutoff);
    auto kept = db.OpenRecordset(
        QStringLiteral("Select Seq, Previous from %1 where Time >= ? order by Seq").arg(store::AuditTable),
        {before});
    int firstKept = seal.lastSeq + 1;
    QString keptPrevious = seal.lastHash;
    if (!kept->Eof()) {
        firstKept = kept->Field(store::FieldSeq).toInt();
        keptPrevious = kept->Field(store::FieldPrevious).toString();
    }
    kept->Close();
    if (firstKept <= seal.firstSeq) {
        return std::nullopt;
    }
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
                          .arg(before),
                      AuditSubject{}};
}

void sendHeadAfterCommit(store::Database& db, const AuditHead& head) {
    // The head leaves the database only once it is committed: a copy never names a row that was not.
    db.AfterCommit([head] { outside::WriteSystemLog(QStringLiteral("zav-audit"), AuditHeadText(head)); });
}

// On a server the owner's function appends, so that the roles of panels need no right to change the
// trail: it numbers, links, dates (by the server's clock), seals and applies the retention itself.
void appendOnServer(store::Database& db, const std::vector<AuditEvent>& events) {
    AuditHead head;
    for (const AuditEvent& event : events) {
        const AuditSubject subject = subjectOf(event);
        auto rs = db.OpenRecordset(
            QStringLiteral("Select * from %1(?, ?, ?, ?, ?, ?)").arg(AuditAppendFunction),
            {AuditPanelName(), osUserName(), event.event, subject.operatorName, subject.level, event.detail});
        head = AuditHead{rs->Field(QStringLiteral("head_identity")).toString(),
                         rs->Field(QStringLiteral("head_seq")).toInt(),
                         rs->Field(QStringLiteral("head_hash")).toString()};
        rs->Close();
    }
    sendHeadAfterCommit(db, head);
}

void appendWithin(store::Database& db, const Policy& policy, const std::vector<AuditEvent>& events) {
    if (!policy.audit || events.empty()) {
        return;
    }
    if (db.IsServer() && db.RoutineExists(AuditAppendFunction)) {
        appendOnServer(db, events);
        return;
    }
    EnsureAuditTables(db);
    AuditSeal seal = readSeal(db);
    std::vector<AuditEvent> rows;
    if (!seal.present) {
        rows.push_back(resealAfterNewestRow(db, seal));
    }
    const QDateTime now = NowUtc();
    const std::optional<QDateTime> newest = newestRowTime(db, seal);
    // A row is never dated before the row before it, whatever this panel's clock says.
    const QDateTime stamp = newest && *newest > now ? *newest : now;
    const bool retaining = newest && policy.auditRetentionDays > 0;
    if (retaining && newest->secsTo(now) > ClockAheadLimitSeconds) {
        rows.push_back(AuditEvent{
            QStringLiteral("clock"),
            QStringLiteral("the clock reads %1, %2 s after the newest row (%3): retention counts none of it")
                .arg(AuditTimeText(now))
                .arg(newest->secsTo(now))
                .arg(AuditTimeText(*newest)),
            AuditSubject{}});
    } else if (retaining) {
        if (auto removal = applyRetention(db, seal, policy.auditRetentionDays, *newest)) {
            rows.push_back(std::move(*removal));
        }
    }
    rows.insert(rows.end(), events.begin(), events.end());
    append(db, seal, rows, AuditTimeText(stamp));
    sendHeadAfterCommit(db, AuditHead{seal.identity, seal.lastSeq, seal.lastHash});
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

AuditVerdict VerifyAuditTrail(const QString& dbPath, const AuditAnchors& anchors) {
    std::vector<AuditRow> rows;
    AuditSeal seal;
    bool sealRequired = false;
    {
        auto db = OpenForReading(dbPath);
        // One read transaction: a panel appending meanwhile cannot put the rows and the seal out of step.
        store::Transaction snapshot(*db);
        seal = readSeal(*db);
        const bool hasTrail = db->TableExists(store::AuditTable);
        sealRequired = hasTrail || db->TableExists(store::AuditSealTable) ||
                       WithEntries(Policy{}, ReadPolicyRows(*db)).audit;
        if (hasTrail) {
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
    return CheckAuditAnchors(rows, VerifyAuditRows(rows, seal, sealRequired), anchors);
}

std::optional<AuditHead> ReadAuditHead(const QString& dbPath) {
    auto db = OpenForReading(dbPath);
    const AuditSeal seal = readSeal(*db);
    db->Close();
    if (!seal.present || seal.lastSeq < seal.firstSeq) {
        return std::nullopt;
    }
    return AuditHead{seal.identity, seal.lastSeq, seal.lastHash};
}

const QString& AuditPanelName() {
    static const QString name = QSysInfo::machineHostName();
    return name;
}

} // namespace zav::manage
