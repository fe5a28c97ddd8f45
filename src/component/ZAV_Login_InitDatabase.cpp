// Creating and completing the credential database when DbPath is assigned, and the two one-time
// permission grants, recorded in the user's registry and in the file.

#include <ZAV_PrjLogin/ZAV_Login.h>

#include "access/LevelRecord.h"
#include "component/Mod_Globali.h"
#include "outside/OutsideObjects.h"
#include "store/Engine.h"
#include "store/Schema.h"

#include <QFileInfo>

#define ZAV_STRINGIFY2(x) #x
#define ZAV_STRINGIFY(x) ZAV_STRINGIFY2(x)

namespace {

const QString RegistryKey = QStringLiteral("Software\\ZEMRO_SW\\Login");

QString versionText() {
    return QStringLiteral(ZAV_STRINGIFY(ZAV_VERSION_MAJOR) "." ZAV_STRINGIFY(
        ZAV_VERSION_MINOR) "." ZAV_STRINGIFY(ZAV_VERSION_PATCH));
}

// Anything at the path (a hidden file, a link, even a dangling one) counts as existing: it is opened,
// never replaced. An empty file holds nothing (a creation cut off before its first page, by an older
// release) and is created anew.
bool somethingExistsAt(const QString& path) {
    const QFileInfo info(path);
    if (info.isFile() && !info.isSymLink() && info.size() == 0) {
        return false;
    }
    return !path.isEmpty() && (info.exists() || info.isSymLink());
}

// Whether the grant ran on this file, for any user: the registry tells only about the user who ran it.
bool grantRecordedIn(zav::store::Database& db, const QString& grant) {
    if (!db.TableExists(zav::store::GrantsTable)) {
        return false;
    }
    auto rs = db.OpenRecordset(
        QStringLiteral("Select Name from %1 where Name = '%2'").arg(zav::store::GrantsTable, grant));
    const bool found = !rs->Eof();
    rs->Close();
    return found;
}

// Runs a grant's statement and records it in the file, as one change. False when the file records
// it as done already.
bool grantOnce(const QString& dbPath, const QString& grant, const QString& statement,
               const QString& version) {
    using namespace zav::store;
    auto db = DefaultEngine().OpenDatabase(dbPath, OpenMode::Exclusive, ConnectString);
    if (grantRecordedIn(*db, grant)) {
        db->Close();
        return false;
    }
    db->BeginTrans();
    db->Execute(statement);
    if (!db->TableExists(GrantsTable)) {
        db->CreateTable(GrantsTableDef());
    }
    auto rs = db->OpenRecordset(QStringLiteral("Select * from %1").arg(GrantsTable));
    rs->AddNew();
    rs->SetField(FieldName, grant);
    rs->SetField(FieldVersion, version);
    rs->Update();
    rs->Close();
    db->CommitTrans();
    db->Close();
    return true;
}

bool relationExists(zav::store::Database& db) {
    bool found = false;
    for (const auto& relation : db.Relations()) {
        if (relation.table == zav::store::LevelsTable &&
            relation.foreignTable == zav::store::OperatorsTable) {
            found = true;
        }
    }
    return found;
}

void addTopLevelIfMissing(zav::store::Database& db) {
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Levels where ID = 0"));
    if (rs->Eof()) {
        rs->AddNew();
        rs->SetField(zav::store::FieldID, 0);
        rs->SetField(zav::store::FieldName, QStringLiteral("|0"));
        rs->SetField(zav::store::FieldPWD, zav::store::DatabasePassword);
        rs->SetField(zav::store::FieldManageLevel, true);
        rs->SetField(zav::store::FieldManageOperator, true);
        rs->SetField(zav::store::FieldDisShutDown, true);
        rs->SetField(zav::store::FieldDesktop, true);
        for (int n = 1; n <= Class_LevelEnable::CustomCount; ++n) {
            rs->SetField(zav::store::CustomFieldName(n), true);
        }
        rs->SetField(zav::store::FieldNEnable, Class_LevelEnable::CustomCount);
        rs->Update();
    }
    rs->Close();
}

void addLevelOneIfMissing(zav::store::Database& db, const Class_LevelEnable* respEnable) {
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Levels where ID = 1"));
    if (rs->Eof()) {
        if (!respEnable) {
            throw AutomationError(zav::ErrObjectVariableNotSet,
                                  QStringLiteral("Object variable or With block variable not set"));
        }
        rs->AddNew();
        rs->SetField(zav::store::FieldID, 1);
        rs->SetField(zav::store::FieldName, QStringLiteral("|1"));
        rs->SetField(zav::store::FieldPWD, QString(QLatin1String("")));
        const int count = zav::access::WriteRights(*rs, *respEnable);
        rs->SetField(zav::store::FieldNEnable, count);
        rs->Update();
    }
    rs->Close();
}

} // namespace

bool ZAV_Login::Fun_InitDatabase() {
    using namespace zav::store;
    bool result = false;
    try {
        std::unique_ptr<Database> db;
        if (somethingExistsAt(m_dbPath)) {
            db = DefaultEngine().OpenDatabase(m_dbPath, OpenMode::Exclusive, ConnectString);
        } else {
            db = DefaultEngine().CreateDatabase(m_dbPath, LocaleArgument + ConnectString);
        }
        auto& utility = zav::outside::dbUtility();
        if (!utility.TableExists(*db, LevelsTable)) {
            db->CreateTable(LevelsTableDef());
        }
        if (!utility.TableExists(*db, OperatorsTable)) {
            db->CreateTable(OperatorsTableDef());
        }
        if (!relationExists(*db)) {
            db->CreateRelation(RelIDRefDef());
        }
        addTopLevelIfMissing(*db);
        addLevelOneIfMissing(*db, m_respEnable.get());
        db->Close();
        db.reset();
        runLogoutProcedure();
        applyRegistryUpgrades();
        result = true;
    } catch (const AutomationError& e) {
        zav::MsgBox(e.Description(), zav::vbExclamation,
                    QStringLiteral("ZAV_MLORVATO ") + QString::number(e.Number()));
    } catch (const std::exception& e) {
        zav::MsgBox(QString::fromLocal8Bit(e.what()), zav::vbExclamation, QStringLiteral("ZAV_MLORVATO 0"));
    }
    return result;
}

void ZAV_Login::applyRegistryUpgrades() noexcept {
    // A grant whose statement failed writes no marker and is tried again at the next initialisation. The
    // file records each grant too, so that a file provisioned by one user is not granted again when
    // another user (another home, another service account) opens it.
    try {
        auto& registry = zav::outside::registryAccess();
        auto rights = m_currentLevel->cLevelEnable();
        const QString price = QStringLiteral("PriceAddition");
        if (!rights->AllowCustom(32) && !rights->AllowCustom(33)) {
            if (registry.ReadValue(RegistryKey, price, QString()).isEmpty() &&
                grantOnce(m_dbPath, price,
                          QStringLiteral("Update levels set Custom32 = true, Custom33 = true;"),
                          versionText())) {
                // The level in force gains the rights only once the file holds them.
                rights->setAllowCustom(32, true);
                rights->setAllowCustom(33, true);
                registry.WriteValue(RegistryKey, price, versionText());
            }
        }
        const QString editButton = QStringLiteral("ShowEditButtonAddition");
        if (!rights->AllowCustom(34)) {
            if (registry.ReadValue(RegistryKey, editButton, QString()).isEmpty() &&
                grantOnce(m_dbPath, editButton, QStringLiteral("Update levels set Custom34 = true;"),
                          versionText())) {
                rights->setAllowCustom(34, true);
                registry.WriteValue(RegistryKey, editButton, versionText());
            }
        }
    } catch (...) {
    }
}
