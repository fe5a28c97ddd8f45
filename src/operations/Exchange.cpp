#include "operations/Exchange.h"

#include "access/LevelRecord.h"
#include "operations/AuditRows.h"
#include "operations/BadgeRows.h"
#include "operations/DatabaseAddress.h"
#include "operations/DatabaseSetup.h"
#include "operations/ImportLeftovers.h"
#include "operations/LevelOperations.h"
#include "operations/ManageDatabase.h"
#include "operations/NumericText.h"
#include "operations/OperationErrors.h"
#include "operations/PasswordAgeRows.h"
#include "operations/PasswordHashing.h"
#include "operations/PasswordRules.h"
#include "operations/PolicyRows.h"
#include "operations/Renumbering.h"
#include "operations/SnapshotRows.h"
#include "outside/OutsideObjects.h"
#include "store/CompanionLock.h"
#include "store/DatabaseFile.h"
#include "store/Schema.h"

#include <QFile>
#include <algorithm>
#include <map>
#include <sys/stat.h>

namespace zav::manage {

namespace {
// A reporting role of a server may read every column but the passwords.
bool passwordsHidden(store::Database& db) {
    if (!db.IsServer()) {
        return false;
    }
    auto rs =
        db.OpenRecordset(QStringLiteral("Select has_column_privilege('levels', 'pwd', 'SELECT') and "
                                        "has_column_privilege('operators', 'pwd', 'SELECT') as Readable"));
    const bool readable = rs->Field(QStringLiteral("Readable")).toBool();
    rs->Close();
    return !readable;
}

// "*", or every column of the table but its password.
QString columnsOf(const store::TableDef& table, bool withoutPassword) {
    if (!withoutPassword) {
        return QStringLiteral("*");
    }
    QStringList names;
    for (const auto& field : table.fields) {
        if (field.name != store::FieldPWD) {
            names << field.name;
        }
    }
    return names.join(QStringLiteral(", "));
}
} // namespace

Snapshot ReadSnapshot(const QString& dbPath) {
    auto db = OpenForReading(dbPath);
    store::Transaction transaction(*db);
    Snapshot snapshot = ReadSnapshotWithin(*db);
    transaction.Commit();
    db->Close();
    return snapshot;
}

Snapshot ReadSnapshotWithin(store::Database& db) {
    Snapshot snapshot;
    snapshot.passwordsHidden = passwordsHidden(db);
    auto levels = db.OpenRecordset(QStringLiteral("Select %1 from Levels order by ID")
                                       .arg(columnsOf(store::LevelsTableDef(), snapshot.passwordsHidden)));
    for (; !levels->Eof(); levels->MoveNext()) {
        LevelEntry entry;
        access::ReadLevel(*levels, *entry.level);
        if (!snapshot.passwordsHidden) {
            entry.level->setPassword(access::TextOrEmpty(levels->Field(store::FieldPWD)));
        }
        entry.nEnable = levels->Field(store::FieldNEnable).toInt();
        snapshot.levels.push_back(entry);
    }
    levels->Close();
    auto operators =
        db.OpenRecordset(QStringLiteral("Select %1 from Operators order by Name")
                             .arg(columnsOf(store::OperatorsTableDef(), snapshot.passwordsHidden)));
    for (; !operators->Eof(); operators->MoveNext()) {
        snapshot.operators.push_back(
            {access::TextOrEmpty(operators->Field(store::FieldName)),
             snapshot.passwordsHidden ? QString() : access::TextOrEmpty(operators->Field(store::FieldPWD)),
             operators->Field(store::FieldID).toInt()});
    }
    operators->Close();
    // One order whatever the engine, so that a copy exports the same bytes as its original: the file's
    // (letter case aside, then by UTF-16 code), which a server's collation does not keep.
    std::sort(snapshot.operators.begin(), snapshot.operators.end(),
              [](const auto& a, const auto& b) { return a.name.compare(b.name, Qt::CaseInsensitive) < 0; });
    snapshot.policy = ReadPolicyRows(db);
    if (KeepsPasswordAges(db)) {
        snapshot.ages = ReadPasswordAges(db, !snapshot.passwordsHidden);
        std::sort(snapshot.ages->begin(), snapshot.ages->end(), [](const auto& a, const auto& b) {
            return a.entry.kind != b.entry.kind ? a.entry.kind == LockoutKind::Level
                                                : a.entry.name.compare(b.entry.name, Qt::CaseInsensitive) < 0;
        });
    }
    if (KeepsBadges(db)) {
        snapshot.badges = ReadBadgeRows(db, !snapshot.passwordsHidden);
        std::sort(snapshot.badges->begin(), snapshot.badges->end(), [](const auto& a, const auto& b) {
            const int byName = a.name.compare(b.name, Qt::CaseInsensitive);
            return byName != 0 ? byName < 0 : a.hmac < b.hmac;
        });
    }
    return snapshot;
}

const LevelEntry* FindLevel(const Snapshot& snapshot, int id) {
    for (const auto& entry : snapshot.levels) {
        if (entry.level->ID() == id) {
            return &entry;
        }
    }
    return nullptr;
}

namespace {

// Everything the import creates (the database, its journal and lock) is readable by its owner only.
class OwnerOnlyFiles {
public:
    OwnerOnlyFiles() : m_previous(::umask(S_IRWXG | S_IRWXO)) {}
    ~OwnerOnlyFiles() { ::umask(m_previous); }
    OwnerOnlyFiles(const OwnerOnlyFiles&) = delete;
    OwnerOnlyFiles& operator=(const OwnerOnlyFiles&) = delete;

private:
    mode_t m_previous;
};

void removeDatabaseFiles(const QString& path) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
    QFile::remove(store::CompanionLock::pathFor(path));
}

// What a document's password is stored as: a hash stays as it is, a text is hashed while the target
// stores hashes.
QString keptForm(const QString& password, PasswordStorage storage) {
    return IsPasswordHash(password) ? password : StoredFormOf(password, storage);
}

// Name, password, rights and NEnable of the row being added or edited (the document's NEnable is kept
// as it was, like every other value of a backup).
void writeLevelFields(store::Recordset& rs, const LevelEntry& entry, PasswordStorage storage) {
    rs.SetField(store::FieldName, entry.level->DBLevelName());
    rs.SetField(store::FieldPWD, keptForm(entry.level->Password(), storage));
    access::WriteRights(rs, *entry.level->cLevelEnable());
    rs.SetField(store::FieldNEnable, entry.nEnable);
}

void writeOperatorFields(store::Recordset& rs, const OperatorEntry& entry, int levelId,
                         PasswordStorage storage) {
    rs.SetField(store::FieldName, entry.name);
    rs.SetField(store::FieldPWD, keptForm(entry.password, storage));
    rs.SetField(store::FieldID, levelId);
}

std::unique_ptr<store::Recordset> openNamed(store::Database& db, const QString& table, const QString& name) {
    return db.OpenRecordset(QStringLiteral("Select * from %1 where Name = ?").arg(table), {name});
}

// The document's ages as they are; an import of a document without them into a policy that ages passwords
// dates every password now, as set by someone else.
void writeAges(store::Database& db, const Snapshot& document, bool asStored) {
    if (document.ages) {
        KeepPasswordAges(db); // the table, and a row for any entry the document dates not
        for (const PasswordAge& age : *document.ages) {
            WritePasswordAge(db, age);
        }
        DropStrayPasswordAges(db);
    } else if (!asStored && WithEntries(Policy{}, document.policy).AgesPasswords()) {
        KeepPasswordAges(db);
        db.Execute(QStringLiteral("Update PasswordAges Set MustChange = ?"), {-1}); // the classic true
    }
}

// The document's badges with their PINs as the target keeps them, under the name of their operator.
std::vector<BadgeRow> badgesKept(const std::vector<BadgeRow>& badges, PasswordStorage storage) {
    std::vector<BadgeRow> rows = badges;
    for (BadgeRow& row : rows) {
        row.pin = keptForm(row.pin, storage);
    }
    return rows;
}

} // namespace

void WriteSnapshotRows(store::Database& db, const Snapshot& document, bool passwordsAsStored) {
    // Written as plain storage keeps them, every password stays as it is.
    const PasswordStorage storage =
        passwordsAsStored ? PasswordStorage::Plain : WithEntries(Policy{}, document.policy).passwordStorage;
    auto levels = db.OpenRecordset(QStringLiteral("Select * from Levels"));
    for (const auto& entry : document.levels) {
        levels->AddNew();
        levels->SetField(store::FieldID, entry.level->ID());
        writeLevelFields(*levels, entry, storage);
        levels->Update();
    }
    levels->Close();
    auto operators = db.OpenRecordset(QStringLiteral("Select * from Operators"));
    for (const auto& entry : document.operators) {
        operators->AddNew();
        writeOperatorFields(*operators, entry, entry.levelId, storage);
        operators->Update();
    }
    operators->Close();
    WritePolicyRows(db, document.policy);
    writeAges(db, document, passwordsAsStored);
    if (document.badges || WithEntries(Policy{}, document.policy).badgeLogin) {
        KeepBadges(db);
        WriteBadgeRows(db, badgesKept(document.badges.value_or(std::vector<BadgeRow>{}), storage));
    }
}

namespace {

// Writes the document's rows and policy into the empty tables, within the caller's transaction; the
// audit row says `where` they went.
void fillTables(store::Database& db, const Snapshot& document, const QString& where) {
    WriteSnapshotRows(db, document);
    AuditWithin(db, WithEntries(Policy{}, document.policy),
                {QStringLiteral("imported"),
                 QStringLiteral("%1, %2 into %3")
                     .arg(CountOf(qsizetype(document.levels.size()), QStringLiteral("level")),
                          CountOf(qsizetype(document.operators.size()), QStringLiteral("operator")), where),
                 {}});
}

void fillNewDatabase(store::Database& db, const Snapshot& document) {
    CompleteSchemaWithin(db, QString()); // a new file
    store::Transaction transaction(db);
    fillTables(db, document, QStringLiteral("a new file"));
    transaction.Commit();
}

bool holdsRows(store::Database& db, const QString& table) {
    if (!db.TableExists(table)) {
        return false;
    }
    auto rs = db.OpenRecordset(QStringLiteral("Select Count(*) as ID from %1").arg(table));
    const bool any = rs->Field(store::FieldID).toInt() > 0;
    rs->Close();
    return any;
}

// A server database exists before anything is imported: it takes the import only while it holds no
// level and no operator (an empty database, or the bare schema). Everything, captions included, is
// one transaction, so a failure leaves the database as it was.
void importIntoServer(const QString& dbPath, const Snapshot& document) {
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    if (holdsRows(*db, store::LevelsTable) || holdsRows(*db, store::OperatorsTable)) {
        throw store::DbError(
            store::ErrDatabaseExists,
            QStringLiteral("'%1' holds levels or operators already; import into it only with --merge")
                .arg(ShownDatabasePath(dbPath)));
    }
    CompleteSchemaWithin(*db, dbPath);
    fillTables(*db, document, QStringLiteral("the empty server database"));
    WriteCaptions(dbPath, document.captions); // its own open of the database joins this transaction
    transaction.Commit();
    db->Close();
}

// The number a level added now gets: one above the largest ID, 2 when there is no level.
int nextLevelId(store::Database& db) {
    auto rs = db.OpenRecordset(QStringLiteral("Select Max(ID) as ID from Levels"));
    const QVariant largest = rs->Field(store::FieldID); // Null when there is no level
    rs->Close();
    return largest.isNull() ? 2 : largest.toInt() + 1;
}

// The level in force when nobody is logged in cannot have a password (as passwd and the management
// window keep it); a merge that would give it one is refused whole.
void refusePasswordOfLogoutLevel(store::Database& db) {
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Levels order by ID Desc"));
    if (!rs->Eof()) {
        if (!access::TextOrEmpty(rs->Field(store::FieldPWD)).isEmpty()) {
            throw AutomationError(
                ErrInvalidArgument,
                QStringLiteral("level \"%1\" would be in force when nobody is logged in (ID %2) and cannot "
                               "have a password; nothing was merged")
                    .arg(access::TextOrEmpty(rs->Field(store::FieldName)))
                    .arg(rs->Field(store::FieldID).toInt()));
        }
    }
    rs->Close();
}

// Every password the document stores must pass the policy's rules; the level that is in force when
// nobody is logged in (`logoutName`) keeps no password whatever the minimum length. A hash cannot be
// judged: it passed the rules when it was made.
void refuseFaultyPasswords(const Snapshot& document, const Policy& policy, const QString& logoutName) {
    if (!policy.AnyPasswordRule()) {
        return;
    }
    for (const auto& entry : document.levels) {
        const Class_Level& level = *entry.level;
        if ((level.Password().isEmpty() &&
             level.DBLevelName().compare(logoutName, Qt::CaseInsensitive) == 0) ||
            IsPasswordHash(level.Password())) {
            continue;
        }
        RefuseFaultyPassword(
            {policy, PasswordFaults(policy, level.Password(), {level.DBLevelName(), level.LevelName()})},
            QStringLiteral("level \"%1\"").arg(level.DBLevelName()));
    }
    for (const auto& entry : document.operators) {
        if (!IsPasswordHash(entry.password)) {
            RefuseFaultyPassword({policy, PasswordFaults(policy, entry.password, {entry.name})},
                                 QStringLiteral("operator \"%1\"").arg(entry.name));
        }
    }
}

// The storage a merge keeps: the database's. A hashed document cannot go into a database that keeps
// text (its passwords are no longer known), and a plain document's "password-storage plain" does not
// take a hashed database back to text: the entries to write, without that one.
PolicyEntries mergedPolicyEntries(const Snapshot& document, PasswordStorage databaseStorage) {
    const bool documentHashed =
        WithEntries(Policy{}, document.policy).passwordStorage == PasswordStorage::Hashed;
    if (documentHashed && databaseStorage == PasswordStorage::Plain) {
        throw AutomationError(ErrInvalidArgument,
                              QStringLiteral("the document's passwords are stored hashed and this database "
                                             "keeps them as text; set its password-storage to hashed first; "
                                             "nothing was merged"));
    }
    PolicyEntries entries;
    for (const auto& entry : document.policy) {
        if (databaseStorage == PasswordStorage::Plain || entry.first != QLatin1String("password-storage")) {
            entries.push_back(entry);
        }
    }
    return entries;
}

QString logoutLevelName(store::Database& db) {
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Levels order by ID Desc"));
    const QString name = rs->Eof() ? QString() : access::TextOrEmpty(rs->Field(store::FieldName));
    rs->Close();
    return name;
}

// The merged entries take the document's ages; those it does not date were set by someone else now.
void mergeAges(store::Database& db, const Snapshot& document, const Policy& merged) {
    if (!merged.AgesPasswords() && !KeepsPasswordAges(db)) {
        return;
    }
    KeepPasswordAges(db);
    const auto dated = [&](const LockoutEntry& entry) -> const PasswordAge* {
        if (!document.ages) {
            return nullptr;
        }
        for (const PasswordAge& age : *document.ages) {
            if (age.entry.kind == entry.kind &&
                age.entry.name.compare(entry.name, Qt::CaseInsensitive) == 0) {
                return &age;
            }
        }
        return nullptr;
    };
    std::vector<LockoutEntry> entries;
    for (const auto& entry : document.levels) {
        entries.push_back({LockoutKind::Level, entry.level->DBLevelName()});
    }
    for (const auto& entry : document.operators) {
        entries.push_back({LockoutKind::Operator, entry.name});
    }
    for (const LockoutEntry& entry : entries) {
        if (const PasswordAge* age = dated(entry)) {
            WritePasswordAge(db, *age);
        } else {
            NotePasswordChange(db, entry, QString(), false, merged);
        }
    }
}

// Each operator keeps its badges under the name the merge gave it; one the document gives badges has
// exactly those. A badge another operator has is refused, naming both operators and never the badge.
void mergeBadges(store::Database& db, const Snapshot& document, PasswordStorage storage) {
    if (!document.badges && !KeepsBadges(db)) {
        return;
    }
    KeepBadges(db);
    for (const auto& entry : document.operators) {
        db.Execute(QStringLiteral("Update Badges Set Name = ? where Name = ?"), {entry.name, entry.name});
    }
    const std::vector<BadgeRow> rows = badgesKept(document.badges.value_or(std::vector<BadgeRow>{}), storage);
    for (const BadgeRow& row : rows) {
        db.Execute(QStringLiteral("Delete * from Badges where Name = ?"), {row.name});
    }
    for (const BadgeRow& row : rows) {
        auto rs = db.OpenRecordset(QStringLiteral("Select Name from Badges where Hmac = ?"), {row.hmac});
        if (!rs->Eof()) {
            rs->MoveFirst();
            throw AutomationError(ErrDuplicateKey,
                                  QStringLiteral("the badge the document gives operator '%1' is operator "
                                                 "'%2''s; nothing was merged")
                                      .arg(row.name, rs->Field(store::FieldName).toString()));
        }
        rs->Close();
    }
    WriteBadgeRows(db, rows);
}

} // namespace

void ImportIntoNewDatabase(const QString& dbPath, const Snapshot& document) {
    if (IsServerDatabase(dbPath)) {
        importIntoServer(dbPath, document);
        return;
    }
    ImportIntoNewFile(dbPath, document);
    WriteCaptions(dbPath, document.captions);
}

void ImportIntoNewFile(const QString& dbPath, const Snapshot& document) {
    RemoveImportLeftovers(dbPath);
    if (store::somethingAt(dbPath, true)) { // even an empty file or a dangling link
        throw store::DbError(
            store::ErrDatabaseExists,
            QStringLiteral("'%1' exists already; import into an existing database only with --merge")
                .arg(dbPath));
    }
    const QString temporary = TemporaryImportPath(dbPath);
    const OwnerOnlyFiles ownerOnly;
    try {
        auto db =
            store::DefaultEngine().CreateDatabase(temporary, store::LocaleArgument + store::ConnectString);
        fillNewDatabase(*db, document);
        db->Close();
        db.reset();
        QFile::remove(store::CompanionLock::pathFor(temporary));
        // Refuses to replace a file that appeared at the path in the meantime.
        if (!QFile::rename(temporary, dbPath)) {
            throw AutomationError(ErrFileAccess, QStringLiteral("cannot move the new database to '%1'%2")
                                                     .arg(dbPath, store::somethingAt(dbPath, true)
                                                                      ? QStringLiteral(": it exists now")
                                                                      : QString()));
        }
    } catch (...) {
        removeDatabaseFiles(temporary);
        throw;
    }
}

void MergeIntoDatabase(const QString& dbPath, const Snapshot& document) {
    const bool onServer = IsServerDatabase(dbPath);
    if (!onServer) {
        RemoveImportLeftovers(dbPath);
    }
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    const PasswordStorage storage = PolicyOf(*db).passwordStorage;
    const PolicyEntries policyEntries = mergedPolicyEntries(document, storage);
    int nextId = nextLevelId(*db);
    std::map<int, int> databaseIds; // document's level ID -> the database's
    for (const auto& entry : document.levels) {
        auto rs = openNamed(*db, store::LevelsTable, entry.level->DBLevelName());
        if (rs->Eof()) {
            if (nextId > LargestLevelId) {
                throw store::DbError(store::ErrFieldOverflow,
                                     QStringLiteral("level \"%1\" cannot be added: level numbers end at %2")
                                         .arg(entry.level->DBLevelName())
                                         .arg(LargestLevelId));
            }
            rs->AddNew();
            rs->SetField(store::FieldID, nextId);
            databaseIds[entry.level->ID()] = nextId++;
        } else {
            rs->MoveFirst();
            databaseIds[entry.level->ID()] = rs->Field(store::FieldID).toInt();
            rs->Edit();
        }
        writeLevelFields(*rs, entry, storage);
        rs->Update();
        rs->Close();
    }
    for (const auto& entry : document.operators) {
        auto rs = openNamed(*db, store::OperatorsTable, entry.name);
        if (rs->Eof()) {
            rs->AddNew();
        } else {
            rs->MoveFirst();
            rs->Edit();
        }
        writeOperatorFields(*rs, entry, databaseIds.at(entry.levelId), storage);
        rs->Update();
        rs->Close();
    }
    mergeBadges(*db, document, storage);
    WritePolicyRows(*db, policyEntries);
    RenumberWithin(*db);
    refusePasswordOfLogoutLevel(*db);
    const Policy merged = WithEntries(Policy{}, ReadPolicyRows(*db));
    mergeAges(*db, document, merged);
    refuseFaultyPasswords(document, merged, logoutLevelName(*db));
    AuditWithin(*db, merged,
                {QStringLiteral("merged"),
                 QStringLiteral("%1, %2; levels renumbered")
                     .arg(CountOf(qsizetype(document.levels.size()), QStringLiteral("level")),
                          CountOf(qsizetype(document.operators.size()), QStringLiteral("operator"))),
                 {}});
    // On a server the captions live in the database and join the merge's transaction; a profile file
    // beside a database file takes them once the merge is done.
    if (onServer) {
        WriteCaptions(dbPath, document.captions);
    }
    transaction.Commit();
    db->Close();
    if (!onServer) {
        WriteCaptions(dbPath, document.captions);
    }
}

namespace {

const QString Section = QStringLiteral("Description");

QString profileOf(const QString& dbPath) {
    return dbPath + QStringLiteral(".INI");
}

QStringList captionKeys() {
    QStringList keys{QStringLiteral("ML"), QStringLiteral("MO"), QStringLiteral("SD"), QStringLiteral("AD")};
    for (int n = 1; n <= 100; ++n) {
        keys << QString::number(n);
    }
    return keys;
}

} // namespace

bool IsCaptionKey(const QString& key) {
    return captionKeys().contains(key);
}

Captions ReadCaptions(const QString& dbPath) {
    // A default no caption can hold tells an absent entry from an empty one.
    const QString absent(QChar(u'\0'));
    Captions captions;
    for (const QString& key : captionKeys()) {
        const QString text = outside::profileStore().ReadEntry(profileOf(dbPath), Section, key, absent);
        if (text != absent) {
            captions.emplace_back(key, text);
        }
    }
    return captions;
}

void WriteCaptions(const QString& dbPath, const Captions& captions) {
    for (const auto& [key, text] : captions) {
        outside::profileStore().WriteEntry(profileOf(dbPath), Section, key, text);
    }
}

} // namespace zav::manage
