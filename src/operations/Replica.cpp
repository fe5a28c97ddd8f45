#include "operations/Replica.h"

#include "operations/AuditTrail.h"
#include "operations/Clock.h"
#include "operations/DatabaseSetup.h"
#include "operations/ImportLeftovers.h"
#include "operations/ManageDatabase.h"
#include "operations/OperationErrors.h"
#include "operations/PolicyRows.h"
#include "operations/ServerSafeguards.h"
#include "operations/SnapshotRows.h"
#include "outside/DatabaseProfileStore.h"
#include "outside/SystemLog.h"
#include "store/CompanionLock.h"
#include "store/Schema.h"
#include "store/platform/FileSystem.h"
#include "store/server/ServerAddress.h"

#include <ZAV_PrjLogin/Class_LevelEnable.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QUuid>
#include <cstring>
#include <map>

namespace zav::manage {

namespace {

const QString MetaTable = QStringLiteral("ReplicaMeta");
const QString FailuresTable = QStringLiteral("OfflineFailures");
const QString FormatVersion = QStringLiteral("1");
// Refreshing a copy while a panel queues into it starts again this often before it waits for a later turn.
constexpr int RefreshRounds = 3;

// The meta entries.
const QString KeyFormat = QStringLiteral("format");
const QString KeySystem = QStringLiteral("system");
const QString KeyDatabase = QStringLiteral("database");
const QString KeyAddress = QStringLiteral("address");
const QString KeyRefreshed = QStringLiteral("refreshed");
const QString KeyQueue = QStringLiteral("queue");
const QString KeyDigest = QStringLiteral("digest");

store::TableDef metaTableDef() {
    store::TableDef table{MetaTable, {}, {}};
    table.fields.push_back({store::FieldName, store::FieldType::Text, false});
    table.fields.push_back({store::FieldValue, store::FieldType::Text, true});
    table.indexes.push_back({QStringLiteral("ReplicaMetaKey"), {store::FieldName}, true, true});
    return table;
}

store::TableDef failuresTableDef() {
    store::TableDef table{FailuresTable, {}, {}};
    table.fields.push_back({store::FieldSeq, store::FieldType::Long, false});
    table.fields.push_back({store::FieldKind, store::FieldType::Text, false});
    table.fields.push_back({store::FieldName, store::FieldType::Text, false});
    table.indexes.push_back({QStringLiteral("OfflineFailureKey"), {store::FieldSeq}, true, true});
    return table;
}

// Every failure the unchanged lockout counting adds in the copy (a new row, or a count raised by one)
// is noted once, in order.
const char* const FailureTriggers = R"SQL(
CREATE TRIGGER OfflineFailureAdded AFTER INSERT ON Lockout WHEN NEW.Failures > 0 BEGIN
  INSERT INTO OfflineFailures (Seq, Kind, Name)
    SELECT coalesce(max(Seq), 0) + 1, NEW.Kind, NEW.Name FROM OfflineFailures;
END;
CREATE TRIGGER OfflineFailureCounted AFTER UPDATE OF Failures ON Lockout
WHEN NEW.Failures > OLD.Failures BEGIN
  INSERT INTO OfflineFailures (Seq, Kind, Name)
    SELECT coalesce(max(Seq), 0) + 1, NEW.Kind, NEW.Name FROM OfflineFailures;
END;
)SQL";

QString fileNameFor(const ServerIdentity& identity) {
    return identity.system + QLatin1Char('-') +
           QString::fromLatin1(QUrl::toPercentEncoding(identity.database)) + QStringLiteral(".db");
}

// The folder, made owner-only when it is made or found open to others.
QString preparedFolder() {
    const QString folder = ReplicaFolder();
    if (!QDir().mkpath(folder) ||
        !QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        throw AutomationError(
            ErrFileAccess, QStringLiteral("the folder '%1' for the local copy cannot be made").arg(folder));
    }
    return folder;
}

void removeReplicaFile(const QString& path) {
    for (const QString& file :
         {path, path + QStringLiteral("-journal"), store::CompanionLock::pathFor(path)}) {
        QFile::remove(file);
    }
}

using Meta = std::map<QString, QString>;

struct CopyRead {
    Meta meta;
    PolicyEntries policy;
};

// The copy's meta entries and policy, or nothing when the file is no copy or cannot be read.
std::optional<CopyRead> readCopy(const QString& path) {
    try {
        auto db = OpenForReading(path);
        std::optional<CopyRead> read;
        if (db->TableExists(MetaTable)) {
            read.emplace();
            auto rs = db->OpenRecordset(QStringLiteral("Select * from %1").arg(MetaTable));
            for (; !rs->Eof(); rs->MoveNext()) {
                read->meta[rs->Field(store::FieldName).toString()] = rs->Field(store::FieldValue).toString();
            }
            rs->Close();
            read->policy = ReadPolicyRows(*db);
        }
        db->Close();
        return read;
    } catch (const std::exception& error) {
        qWarning("The local copy '%s' cannot be read: %s", qPrintable(path), error.what());
        return std::nullopt;
    }
}

// The copies in the folder, as their names come.
QStringList replicaFiles() {
    const QDir folder(ReplicaFolder());
    QStringList files;
    for (const QString& name : folder.entryList({QStringLiteral("*.db")}, QDir::Files)) {
        files << folder.filePath(name);
    }
    return files;
}

// What one server database holds for a copy, read in one moment.
struct LockoutRow {
    QString kind, name;
    int failures = 0;
    bool locked = false;
    QVariant until;
};
struct ProfileRow {
    QString section, name, value;
};
struct ServerCopy {
    ServerIdentity identity;
    Snapshot snapshot;
    std::vector<LockoutRow> lockout;
    std::vector<ProfileRow> profile;
    Policy policy;
};

ServerCopy readServer(const QString& dbPath) {
    ServerCopy copy;
    auto db = OpenForReading(dbPath);
    store::Transaction oneMoment(*db);
    auto rs =
        db->OpenRecordset(QStringLiteral("Select cast(system_identifier as text) as SystemId, "
                                         "current_database() as DatabaseName from pg_control_system()"));
    copy.identity = {rs->Field(QStringLiteral("SystemId")).toString(),
                     rs->Field(QStringLiteral("DatabaseName")).toString()};
    rs->Close();
    copy.policy = PolicyOf(*db);
    if (copy.policy.offlineLoginDays > 0) {
        copy.snapshot = ReadSnapshotWithin(*db);
        if (db->TableExists(store::LockoutTable)) {
            rs = db->OpenRecordset(QStringLiteral("Select * from Lockout order by Kind, Name"));
            for (; !rs->Eof(); rs->MoveNext()) {
                copy.lockout.push_back(
                    {rs->Field(store::FieldKind).toString(), rs->Field(store::FieldName).toString(),
                     rs->Field(store::FieldFailures).toInt(), rs->Field(store::FieldLocked).toBool(),
                     rs->Field(store::FieldLockedUntil)});
            }
            rs->Close();
        }
        if (db->TableExists(store::ProfileTable)) {
            rs = db->OpenRecordset(QStringLiteral("Select * from Profile order by Section, Name"));
            for (; !rs->Eof(); rs->MoveNext()) {
                copy.profile.push_back({rs->Field(store::FieldSection).toString(),
                                        rs->Field(store::FieldName).toString(),
                                        rs->Field(store::FieldValue).toString()});
            }
            rs->Close();
        }
    }
    oneMoment.Commit();
    db->Close();
    if (copy.snapshot.passwordsHidden) {
        throw AutomationError(
            ErrInvalidArgument,
            QStringLiteral("the role of '%1' may not read the passwords: no local copy of its "
                           "logins can be kept")
                .arg(pg::describeServer(dbPath)));
    }
    return copy;
}

// What the copy's content is, so that a refresh that finds the same writes only the time.
QString digestOf(const ServerCopy& copy) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const auto part = [&hash](const QString& text) {
        const QByteArray bytes = text.toUtf8();
        hash.addData(QByteArray::number(bytes.size()) + ':' + bytes);
    };
    for (const LevelEntry& entry : copy.snapshot.levels) {
        const Class_Level& level = *entry.level;
        const Class_LevelEnable& rights = *level.cLevelEnable();
        QString bits;
        for (const bool right : {rights.AllowManageLevel(), rights.AllowManageOperator(),
                                 rights.DisShutDown(), rights.AllowDesktop()}) {
            bits += right ? QLatin1Char('1') : QLatin1Char('0');
        }
        for (int custom = 1; custom <= Class_LevelEnable::CustomCount; ++custom) {
            bits += rights.AllowCustom(custom) ? QLatin1Char('1') : QLatin1Char('0');
        }
        for (const QString& text : {QStringLiteral("level"), QString::number(level.ID()), level.DBLevelName(),
                                    level.Password(), QString::number(entry.nEnable), bits}) {
            part(text);
        }
    }
    for (const OperatorEntry& entry : copy.snapshot.operators) {
        for (const QString& text :
             {QStringLiteral("operator"), entry.name, entry.password, QString::number(entry.levelId)}) {
            part(text);
        }
    }
    for (const auto& [key, value] : copy.snapshot.policy) {
        for (const QString& text : {QStringLiteral("policy"), key, value}) {
            part(text);
        }
    }
    for (const PasswordAge& age : copy.snapshot.ages.value_or(std::vector<PasswordAge>{})) {
        for (const QString& text :
             {QStringLiteral("age"),
              age.entry.kind == LockoutKind::Level ? QStringLiteral("level") : QString(), age.entry.name,
              age.changedAt.toString(Qt::ISODateWithMs), QString::number(age.mustChange),
              QString::number(age.byOwner), age.history.join(QChar(0))}) {
            part(text);
        }
    }
    for (const BadgeRow& row : copy.snapshot.badges.value_or(std::vector<BadgeRow>{})) {
        for (const QString& text :
             {QStringLiteral("badge"), row.hmac, row.name, MethodText(row.method), row.pin}) {
            part(text);
        }
    }
    for (const LockoutRow& row : copy.lockout) {
        for (const QString& text :
             {QStringLiteral("lockout"), row.kind, row.name, QString::number(row.failures),
              row.locked ? QStringLiteral("1") : QStringLiteral("0"), row.until.toString()}) {
            part(text);
        }
    }
    for (const ProfileRow& row : copy.profile) {
        for (const QString& text : {QStringLiteral("profile"), row.section, row.name, row.value}) {
            part(text);
        }
    }
    return QString::fromLatin1(hash.result().toHex());
}

void writeMeta(store::Database& db, const Meta& meta) {
    WriteNamedValues(db, MetaTable, PolicyEntries(meta.begin(), meta.end()));
}

// A new copy file at `path` holding `copy`, with an empty queue of its own.
void writeCopyFile(const QString& path, const ServerCopy& copy, const Meta& meta) {
    auto db = store::DefaultEngine().CreateDatabase(path, store::LocaleArgument + store::ConnectString);
    CompleteSchemaWithin(*db, QString());
    store::Transaction transaction(*db);
    Snapshot document = copy.snapshot;
    // The server's trail keeps its own retention: the queue keeps every row until the server has it.
    std::erase_if(document.policy,
                  [](const auto& entry) { return entry.first == QLatin1String("audit-retention-days"); });
    WriteSnapshotRows(*db, document, true);
    db->CreateTable(store::LockoutTableDef());
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Lockout where Failures < 0"));
    for (const LockoutRow& row : copy.lockout) {
        rs->AddNew();
        rs->SetField(store::FieldKind, row.kind);
        rs->SetField(store::FieldName, row.name);
        rs->SetField(store::FieldFailures, row.failures);
        rs->SetField(store::FieldLocked, row.locked);
        rs->SetField(store::FieldLockedUntil, row.until);
        rs->Update();
    }
    rs->Close();
    db->CreateTable(store::ProfileTableDef());
    rs = db->OpenRecordset(QStringLiteral("Select * from Profile where Section is null"));
    for (const ProfileRow& row : copy.profile) {
        rs->AddNew();
        rs->SetField(store::FieldSection, row.section);
        rs->SetField(store::FieldName, row.name);
        rs->SetField(store::FieldValue, row.value);
        rs->Update();
    }
    rs->Close();
    db->CreateTable(metaTableDef());
    writeMeta(*db, meta);
    db->CreateTable(failuresTableDef());
    db->ExecuteFileScript(QString::fromUtf8(FailureTriggers));
    transaction.Commit();
    db->Close();
}

// How far the copy's queue reaches now: its last audit row and its last noted failure.
std::pair<int, int> queueEnd(const QString& path) {
    auto db = OpenForReading(path);
    std::pair<int, int> end{0, 0};
    for (auto [table, last] :
         {std::pair{store::AuditTable, &end.first}, std::pair{FailuresTable, &end.second}}) {
        if (db->TableExists(table)) {
            auto rs = db->OpenRecordset(QStringLiteral("Select Max(Seq) as Seq from %1").arg(table));
            *last = rs->Field(store::FieldSeq).toInt();
            rs->Close();
        }
    }
    db->Close();
    return end;
}

} // namespace

QString ReplicaFolder() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) { // a relative one is no base directory to XDG
        base = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return QDir::cleanPath(base + QStringLiteral("/ZAV_PrjLogin"));
}

QString ReplicaPathFor(const ServerIdentity& identity) {
    return QDir(ReplicaFolder()).filePath(fileNameFor(identity));
}

std::optional<ReplicaInfo> ReadReplicaAt(const QString& replicaPath, const QString& dbPath) {
    if (!QFileInfo(replicaPath).isFile()) {
        return std::nullopt;
    }
    const std::optional<CopyRead> read = readCopy(replicaPath);
    if (!read) {
        return std::nullopt;
    }
    const auto value = [&read](const QString& key) {
        const auto found = read->meta.find(key);
        return found == read->meta.end() ? QString() : found->second;
    };
    ReplicaInfo info{replicaPath,
                     {value(KeySystem), value(KeyDatabase)},
                     value(KeyAddress),
                     QDateTime::fromString(value(KeyRefreshed), Qt::ISODateWithMs).toUTC(),
                     WithEntries(Policy{}, read->policy)};
    // A file renamed, copied from another server's copy or made from another address serves nobody here.
    if (value(KeyFormat) != FormatVersion || info.identity.system.isEmpty() ||
        QFileInfo(replicaPath).fileName() != fileNameFor(info.identity) ||
        info.address != pg::describeServer(dbPath)) {
        return std::nullopt;
    }
    return info;
}

std::optional<ReplicaInfo> FindReplica(const QString& dbPath) {
    std::optional<ReplicaInfo> newest;
    for (const QString& path : replicaFiles()) {
        if (auto info = ReadReplicaAt(path, dbPath);
            info && (!newest || info->refreshed > newest->refreshed)) {
            newest = std::move(info);
        }
    }
    return newest;
}

bool ReplicaFresh(const ReplicaInfo& replica, const QDateTime& now) {
    return replica.policy.offlineLoginDays > 0 && replica.refreshed.isValid() &&
           now <= replica.refreshed.addDays(replica.policy.offlineLoginDays);
}

std::unique_lock<std::mutex> LockReplicas() {
    static std::mutex replicas;
    return std::unique_lock<std::mutex>(replicas);
}

void RemoveReplicas(const QString& dbPath) {
    const auto lock = LockReplicas();
    for (const QString& path : replicaFiles()) {
        if (ReadReplicaAt(path, dbPath)) {
            removeReplicaFile(path);
        }
    }
}

QString ReadReplicaCaption(const QString& replicaPath, const QString& key, const QString& defaultText) {
    return outside::DatabaseProfileStore().ReadEntry(replicaPath + QStringLiteral(".INI"),
                                                     QStringLiteral("Description"), key, defaultText);
}

SentQueue SendReplicaQueue(const QString& dbPath, const QString& replicaPath) {
    SentQueue sent;
    const std::optional<CopyRead> copy = readCopy(replicaPath);
    if (!copy || !copy->meta.contains(KeyQueue)) {
        return sent;
    }
    const QString queue = copy->meta.at(KeyQueue);
    QJsonArray rows;
    for (const AuditRow& row : ReadAuditRows(replicaPath)) {
        rows.append(QJsonObject{{QStringLiteral("id"), QStringLiteral("%1:row:%2").arg(queue).arg(row.seq)},
                                {QStringLiteral("time"), row.time},
                                {QStringLiteral("panel"), row.panel},
                                {QStringLiteral("osuser"), row.osUser},
                                {QStringLiteral("event"), row.event},
                                {QStringLiteral("operator"), row.operatorName},
                                {QStringLiteral("level"), row.level},
                                {QStringLiteral("detail"), row.detail}});
        sent.lastRow = row.seq;
    }
    QJsonArray failures;
    {
        auto db = OpenForReading(replicaPath);
        if (db->TableExists(FailuresTable)) {
            auto rs = db->OpenRecordset(QStringLiteral("Select * from %1 order by Seq").arg(FailuresTable));
            for (; !rs->Eof(); rs->MoveNext()) {
                sent.lastFailure = rs->Field(store::FieldSeq).toInt();
                failures.append(QJsonObject{
                    {QStringLiteral("id"), QStringLiteral("%1:failure:%2").arg(queue).arg(sent.lastFailure)},
                    {QStringLiteral("kind"), rs->Field(store::FieldKind).toString()},
                    {QStringLiteral("name"), rs->Field(store::FieldName).toString()}});
            }
            rs->Close();
        }
        db->Close();
    }
    if (rows.isEmpty() && failures.isEmpty()) {
        return sent;
    }
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    if (!db->RoutineExists(AuditImportFunction) || !db->RoutineExists(LockoutImportFunction)) {
        throw AutomationError(
            ErrInvalidArgument,
            QStringLiteral("'%1' cannot take what this panel recorded offline until its owner "
                           "runs init; the local copy keeps it")
                .arg(pg::describeServer(dbPath)));
    }
    // Rows recorded while the server audited go into its trail only while it still does.
    if (!rows.isEmpty() && PolicyOf(*db).audit) {
        auto rs = db->OpenRecordset(QStringLiteral("Select * from %1(?)").arg(AuditImportFunction),
                                    {QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact))});
        sent.rows = rs->Field(QStringLiteral("imported_rows")).toInt();
        const AuditHead head{rs->Field(QStringLiteral("head_identity")).toString(),
                             rs->Field(QStringLiteral("head_seq")).toInt(),
                             rs->Field(QStringLiteral("head_hash")).toString()};
        rs->Close();
        if (sent.rows > 0) {
            db->AfterCommit(
                [head] { outside::WriteSystemLog(QStringLiteral("zav-audit"), AuditHeadText(head)); });
        }
    }
    if (!failures.isEmpty()) {
        auto rs =
            db->OpenRecordset(QStringLiteral("Select %1(?) as Imported").arg(LockoutImportFunction),
                              {QString::fromUtf8(QJsonDocument(failures).toJson(QJsonDocument::Compact))});
        sent.failures = rs->Field(QStringLiteral("Imported")).toInt();
        rs->Close();
    }
    transaction.Commit();
    db->Close();
    return sent;
}

ReplicaRefresh RefreshReplica(const QString& dbPath) {
    ReplicaRefresh refresh;
    const ServerCopy copy = readServer(dbPath);
    refresh.policy = copy.policy;
    if (copy.policy.offlineLoginDays <= 0) {
        RemoveReplicas(dbPath);
        return refresh;
    }
    const QString folder = preparedFolder();
    const QString path = QDir(folder).filePath(fileNameFor(copy.identity));
    // A copy of this address that names another server (the address now leads to another one) goes.
    for (const QString& other : replicaFiles()) {
        if (other != path && ReadReplicaAt(other, dbPath)) {
            qWarning("The local copy '%s' is of another server database than '%s' is now; removed",
                     qPrintable(other), qPrintable(pg::describeServer(dbPath)));
            const auto lock = LockReplicas();
            removeReplicaFile(other);
        }
    }
    const QString digest = digestOf(copy);
    const QString now = AuditTimeText(NowUtc());
    Meta meta{{KeyFormat, FormatVersion},
              {KeySystem, copy.identity.system},
              {KeyDatabase, copy.identity.database},
              {KeyAddress, pg::describeServer(dbPath)},
              {KeyRefreshed, now},
              {KeyDigest, digest},
              {KeyQueue, QUuid::createUuid().toString(QUuid::WithoutBraces)}};
    if (QFileInfo(path).isFile() && !readCopy(path)) {
        qWarning("'%s' is no local copy that can be read; replaced", qPrintable(path));
        removeReplicaFile(path);
    }
    for (int round = 0; round < RefreshRounds; ++round) {
        // The file there is this server database's copy: from this address, or from another (another
        // role's URI), whose queue goes to the server all the same.
        const bool exists = QFileInfo(path).isFile();
        const std::optional<ReplicaInfo> current = exists ? ReadReplicaAt(path, dbPath) : std::nullopt;
        const SentQueue sent = exists ? SendReplicaQueue(dbPath, path) : SentQueue{};
        refresh.sentRows += sent.rows;
        refresh.sentFailures += sent.failures;
        const bool nothingQueued = sent.lastRow == 0 && sent.lastFailure == 0;
        const std::optional<CopyRead> currentCopy = current ? readCopy(path) : std::nullopt;
        if (currentCopy && nothingQueued && currentCopy->meta.contains(KeyDigest) &&
            currentCopy->meta.at(KeyDigest) == digest) {
            // Nothing changed and nothing waits: the time alone, unless the panel queued meanwhile.
            const auto lock = LockReplicas();
            if (queueEnd(path) == std::pair{0, 0}) {
                auto db = OpenForWriting(path);
                store::Transaction transaction(*db);
                writeMeta(*db, {{KeyRefreshed, now}});
                transaction.Commit();
                db->Close();
                refresh.path = path;
                return refresh;
            }
            continue;
        }
        RemoveImportLeftovers(path);
        const QString temporary = TemporaryImportPath(path);
        try {
            writeCopyFile(temporary, copy, meta);
            QFile::remove(store::CompanionLock::pathFor(temporary));
            const auto lock = LockReplicas();
            // Whatever the panel queued after the queue was read must reach the server first.
            if (exists && queueEnd(path) != std::pair{sent.lastRow, sent.lastFailure}) {
                removeReplicaFile(temporary);
                continue;
            }
            if (const int error = store::platform::renameOver(QFile::encodeName(temporary).constData(),
                                                              QFile::encodeName(path).constData())) {
                throw AutomationError(ErrFileAccess,
                                      QStringLiteral("cannot move the local copy to '%1' (%2)")
                                          .arg(path, QString::fromLocal8Bit(std::strerror(error))));
            }
            store::platform::syncFolder(QFile::encodeName(folder).constData());
        } catch (...) {
            removeReplicaFile(temporary);
            throw;
        }
        refresh.path = path;
        refresh.rewritten = true;
        return refresh;
    }
    qWarning("The local copy '%s' is written into while it is refreshed; it is refreshed later",
             qPrintable(path));
    refresh.path = path;
    return refresh;
}

} // namespace zav::manage
