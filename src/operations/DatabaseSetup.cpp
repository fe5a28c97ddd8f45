#include "operations/DatabaseSetup.h"

#include "access/LevelRecord.h"
#include "base/ReportedErrors.h"
#include "operations/AuditTrail.h"
#include "operations/DatabaseAddress.h"
#include "operations/ManageDatabase.h"
#include "operations/PasswordHashing.h"
#include "operations/PolicyRows.h"
#include "operations/ServerSafeguards.h"
#include "outside/OutsideObjects.h"
#include "store/DatabaseFile.h"
#include "store/Schema.h"

#define ZAV_STRINGIFY2(x) #x
#define ZAV_STRINGIFY(x) ZAV_STRINGIFY2(x)

namespace zav::manage {

namespace {

const QString RegistryKey = QStringLiteral("Software\\ZEMRO_SW\\Login");
const QString PriceGrant = QStringLiteral("PriceAddition");
const QString EditButtonGrant = QStringLiteral("ShowEditButtonAddition");

QString versionText() {
    return QStringLiteral(ZAV_STRINGIFY(ZAV_VERSION_MAJOR) "." ZAV_STRINGIFY(
        ZAV_VERSION_MINOR) "." ZAV_STRINGIFY(ZAV_VERSION_PATCH));
}

// Whether the grant ran on this file, for any user: the registry tells only about the user who ran it.
bool grantRecordedIn(store::Database& db, const QString& grant) {
    if (!db.TableExists(store::GrantsTable)) {
        return false;
    }
    auto rs = db.OpenRecordset(QStringLiteral("Select Name from %1 where Name = ?").arg(store::GrantsTable),
                               {grant});
    const bool found = !rs->Eof();
    rs->Close();
    return found;
}

// Within the caller's open database: the file records the grant as done, by this version.
void recordGrant(store::Database& db, const QString& grant) {
    using namespace store;
    if (!db.TableExists(GrantsTable)) {
        db.CreateTable(GrantsTableDef());
    }
    auto rs = db.OpenRecordset(QStringLiteral("Select * from %1").arg(GrantsTable));
    rs->AddNew();
    rs->SetField(FieldName, grant);
    rs->SetField(FieldVersion, versionText());
    rs->Update();
    rs->Close();
}

// Runs a grant's statement and records it in the file, as one change. False when the file records
// it as done already.
bool grantOnce(const QString& dbPath, const QString& grant, const QString& statement) {
    using namespace store;
    // Read first: a grant that ran needs no exclusive open, which busy panels would refuse.
    if (auto reader = OpenForReading(dbPath); grantRecordedIn(*reader, grant)) {
        reader->Close();
        return false;
    }
    auto db = DefaultEngine().OpenDatabase(dbPath, OpenMode::Exclusive, ConnectString);
    if (grantRecordedIn(*db, grant)) {
        db->Close();
        return false;
    }
    db->BeginTrans();
    db->Execute(statement);
    recordGrant(*db, grant);
    db->CommitTrans();
    db->Close();
    return true;
}

bool relationExists(store::Database& db) {
    bool found = false;
    for (const auto& relation : db.Relations()) {
        if (relation.table == store::LevelsTable && relation.foreignTable == store::OperatorsTable) {
            found = true;
        }
    }
    return found;
}

void addTopLevelIfMissing(store::Database& db) {
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Levels where ID = 0"));
    if (rs->Eof()) {
        rs->AddNew();
        rs->SetField(store::FieldID, 0);
        rs->SetField(store::FieldName, QStringLiteral("|0"));
        // In the form the file's policy stores passwords, like every password written.
        rs->SetField(store::FieldPWD, StoredFormOf(store::DatabasePassword, PolicyOf(db).passwordStorage));
        rs->SetField(store::FieldManageLevel, true);
        rs->SetField(store::FieldManageOperator, true);
        rs->SetField(store::FieldDisShutDown, true);
        rs->SetField(store::FieldDesktop, true);
        for (int n = 1; n <= Class_LevelEnable::CustomCount; ++n) {
            rs->SetField(store::CustomFieldName(n), true);
        }
        rs->SetField(store::FieldNEnable, Class_LevelEnable::CustomCount);
        rs->Update();
    }
    rs->Close();
}

void addLevelOneIfMissing(store::Database& db, const Class_LevelEnable* levelOneRights) {
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Levels where ID = 1"));
    if (rs->Eof()) {
        if (!levelOneRights) {
            throw ObjectNotSetError();
        }
        rs->AddNew();
        rs->SetField(store::FieldID, 1);
        rs->SetField(store::FieldName, QStringLiteral("|1"));
        rs->SetField(store::FieldPWD, QString(QLatin1String("")));
        const int count = access::WriteRights(*rs, *levelOneRights);
        rs->SetField(store::FieldNEnable, count);
        rs->Update();
    }
    rs->Close();
}

// A server database is set up once, by its owner, and then used by panels whose role may only read and
// write rows. So every table that a file gains when it is first needed exists there from the start; empty,
// each reads as absent. The captions, kept beside a file, live in the server database too.
using TableMaker = store::TableDef (*)();
const std::vector<std::pair<QString, TableMaker>>& emptyTables() {
    using namespace store;
    static const std::vector<std::pair<QString, TableMaker>> tables{
        {GrantsTable, &GrantsTableDef},   {PolicyTable, &PolicyTableDef}, {LockoutTable, &LockoutTableDef},
        {ProfileTable, &ProfileTableDef}, {AuditTable, nullptr},          {AuditSealTable, nullptr}};
    return tables;
}

void addEmptyTablesIfMissing(store::Database& db) {
    for (const auto& [name, definition] : emptyTables()) {
        if (definition && !db.TableExists(name)) {
            db.CreateTable(definition());
        }
    }
    EnsureAuditTables(db); // the trail's two tables start with the seal's first row
}

// Whether a server database holds everything a start would add, read without opening it alone.
bool serverDatabaseComplete(const QString& dbPath) {
    auto db = OpenForReading(dbPath);
    bool complete = relationExists(*db);
    for (const auto& table : emptyTables()) {
        complete = complete && db->TableExists(table.first);
    }
    if (complete) {
        auto rs = db->OpenRecordset(QStringLiteral("Select ID from Levels where ID = 0 or ID = 1"));
        complete = rs->RecordCount() == 2;
        rs->Close();
    }
    db->Close();
    return complete;
}

} // namespace

void CompleteSchemaWithin(store::Database& db, const QString& dbPath) {
    auto& utility = outside::dbUtility();
    const bool newDatabase = !utility.TableExists(db, store::LevelsTable);
    if (newDatabase) {
        db.CreateTable(store::LevelsTableDef());
    }
    if (!utility.TableExists(db, store::OperatorsTable)) {
        db.CreateTable(store::OperatorsTableDef());
    }
    if (!relationExists(db)) {
        db.CreateRelation(store::RelIDRefDef());
    }
    if (IsServerDatabase(dbPath)) {
        addEmptyTablesIfMissing(db);
        if (newDatabase) {
            ProtectServerDatabase(db);
        }
    }
    // The one-time grants upgrade the databases of older versions. A database made now holds exactly
    // the rights it is given: both are recorded as done, so no start ever runs them on it.
    if (newDatabase) {
        for (const QString& grant : {PriceGrant, EditButtonGrant}) {
            if (!grantRecordedIn(db, grant)) {
                recordGrant(db, grant);
            }
        }
    }
}

void CreateOrCompleteDatabase(const QString& dbPath, const Class_LevelEnable* levelOneRights) {
    using namespace store;
    // The panels of a plant share a server database and hardly ever leave it alone: a start opens it
    // alone only when something is missing.
    if (IsServerDatabase(dbPath) && serverDatabaseComplete(dbPath)) {
        return;
    }
    std::unique_ptr<Database> db;
    // A server database exists before anyone sets it up (the component never creates one): it is
    // completed like a file that is there.
    if (IsServerDatabase(dbPath) || somethingAt(dbPath, false)) {
        db = DefaultEngine().OpenDatabase(dbPath, OpenMode::Exclusive, ConnectString);
    } else {
        db = DefaultEngine().CreateDatabase(dbPath, LocaleArgument + ConnectString);
    }
    const bool newServerDatabase = IsServerDatabase(dbPath) && !db->TableExists(LevelsTable);
    CompleteSchemaWithin(*db, dbPath);
    if (newServerDatabase) {
        // Every panel role reads the passwords' column: on a server they are hashed from the start.
        db->Execute(QStringLiteral("Insert into Policy (Name, Value) values (?, ?)"),
                    {QStringLiteral("password-storage"), QStringLiteral("hashed")});
    }
    addTopLevelIfMissing(*db);
    addLevelOneIfMissing(*db, levelOneRights);
    db->Close();
}

void ApplyOneTimeGrants(const QString& dbPath, Class_LevelEnable& inForce) noexcept {
    // A grant whose statement failed writes no marker and is tried again at the next initialisation. The
    // file records each grant too, so that a file provisioned by one user is not granted again when
    // another user (another home, another service account) opens it. A server database is shared by the
    // panels of a plant: its own record alone decides, and no panel's registry marker (set by some file
    // it used before) keeps the grant from it.
    try {
        const bool onServer = IsServerDatabase(dbPath);
        auto& registry = outside::registryAccess();
        const auto notYetMarked = [&](const QString& grant) {
            return onServer || registry.ReadValue(RegistryKey, grant, QString()).isEmpty();
        };
        const auto mark = [&](const QString& grant) {
            if (!onServer) {
                registry.WriteValue(RegistryKey, grant, versionText());
            }
        };
        const QString& price = PriceGrant;
        if (!inForce.AllowCustom(32) && !inForce.AllowCustom(33)) {
            if (notYetMarked(price) &&
                grantOnce(dbPath, price,
                          QStringLiteral("Update levels set Custom32 = true, Custom33 = true;"))) {
                // The level in force gains the rights only once the file holds them.
                inForce.setAllowCustom(32, true);
                inForce.setAllowCustom(33, true);
                mark(price);
            }
        }
        const QString& editButton = EditButtonGrant;
        if (!inForce.AllowCustom(34)) {
            if (notYetMarked(editButton) &&
                grantOnce(dbPath, editButton, QStringLiteral("Update levels set Custom34 = true;"))) {
                inForce.setAllowCustom(34, true);
                mark(editButton);
            }
        }
    } catch (...) {
    }
}

void InitializeDatabase(const QString& dbPath, const Class_LevelEnable& levelOneRights) {
    CreateOrCompleteDatabase(dbPath, &levelOneRights);
    if (IsServerDatabase(dbPath)) {
        // The owner's init brings the functions and grants of a database made by an older version up to
        // date, and narrows the roles granted since.
        auto db =
            store::DefaultEngine().OpenDatabase(dbPath, store::OpenMode::Exclusive, store::ConnectString);
        ProtectServerDatabase(*db);
        db->Close();
    }
    auto inForce = Class_LevelEnable::create();
    auto db = OpenForReading(dbPath);
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Levels order by ID Desc"));
    if (!rs->Eof()) {
        rs->MoveFirst();
        access::ReadRights(*rs, *inForce);
    }
    rs->Close();
    db->Close();
    ApplyOneTimeGrants(dbPath, *inForce);
}

} // namespace zav::manage
