// Creating and completing the credential database when DbPath is assigned, and the two one-time
// permission grants recorded outside the database.

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
// never replaced.
bool somethingExistsAt(const QString& path) {
    const QFileInfo info(path);
    return !path.isEmpty() && (info.exists() || info.isSymLink());
}

bool relationExists(zav::store::Database& db) {
    bool found = false;
    for (const auto& relation : db.Relations()) {
        if (relation.table == QLatin1String("Levels") &&
            relation.foreignTable == QLatin1String("Operators")) {
            found = true;
        }
    }
    return found;
}

void addTopLevelIfMissing(zav::store::Database& db) {
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Levels where ID = 0"));
    if (rs->RecordCount() == 0) {
        rs->AddNew();
        rs->SetField(QStringLiteral("ID"), 0);
        rs->SetField(QStringLiteral("Name"), QStringLiteral("|0"));
        rs->SetField(QStringLiteral("PWD"), zav::store::DatabasePassword);
        rs->SetField(QStringLiteral("ManageLevel"), true);
        rs->SetField(QStringLiteral("ManageOperator"), true);
        rs->SetField(QStringLiteral("DisShutDown"), true);
        rs->SetField(QStringLiteral("Desktop"), true);
        for (int n = 1; n <= Class_LevelEnable::CustomCount; ++n) {
            rs->SetField(zav::access::CustomField(n), true);
        }
        rs->SetField(QStringLiteral("NEnable"), Class_LevelEnable::CustomCount);
        rs->Update();
    }
    rs->Close();
}

void addLevelOneIfMissing(zav::store::Database& db, const Class_LevelEnable* respEnable) {
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Levels where ID = 1"));
    if (rs->RecordCount() == 0) {
        if (!respEnable) {
            throw AutomationError(zav::ErrObjectVariableNotSet,
                                  QStringLiteral("Object variable or With block variable not set"));
        }
        rs->AddNew();
        rs->SetField(QStringLiteral("ID"), 1);
        rs->SetField(QStringLiteral("Name"), QStringLiteral("|1"));
        rs->SetField(QStringLiteral("PWD"), QString(QLatin1String("")));
        const int count = zav::access::WriteRights(*rs, *respEnable);
        rs->SetField(QStringLiteral("NEnable"), count);
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
        if (!utility.TableExists(*db, QStringLiteral("Levels"))) {
            db->CreateTable(LevelsTableDef());
        }
        if (!utility.TableExists(*db, QStringLiteral("Operators"))) {
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
    using namespace zav::store;
    // A grant whose statement failed writes no marker and is tried again at the next initialisation.
    try {
        auto& registry = zav::outside::registryAccess();
        auto rights = m_currentLevel->cLevelEnable();
        if (!rights->AllowCustom(32) && !rights->AllowCustom(33)) {
            if (registry.ReadValue(RegistryKey, QStringLiteral("PriceAddition"), QString()).isEmpty()) {
                auto db = DefaultEngine().OpenDatabase(m_dbPath, OpenMode::Exclusive, ConnectString);
                db->Execute(QStringLiteral("Update levels set Custom32 = true, Custom33 = true;"));
                db->Close();
                // The level in force gains the rights only once the file holds them.
                rights->setAllowCustom(32, true);
                rights->setAllowCustom(33, true);
                registry.WriteValue(RegistryKey, QStringLiteral("PriceAddition"), versionText());
            }
        }
        if (!rights->AllowCustom(34)) {
            if (registry.ReadValue(RegistryKey, QStringLiteral("ShowEditButtonAddition"), QString())
                    .isEmpty()) {
                auto db = DefaultEngine().OpenDatabase(m_dbPath, OpenMode::Exclusive, ConnectString);
                db->Execute(QStringLiteral("Update levels set Custom34 = true;"));
                db->Close();
                rights->setAllowCustom(34, true);
                registry.WriteValue(RegistryKey, QStringLiteral("ShowEditButtonAddition"), versionText());
            }
        }
    } catch (...) {
    }
}
