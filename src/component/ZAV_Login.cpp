#include <ZAV_PrjLogin/ZAV_Login.h>

#include "access/LevelRecord.h"
#include "base/Mod_Globali.h"
#include "base/OpenDialogs.h"
#include "component/HostSignals.h"
#include "component/ModuleComponent.h"
#include "component/OfflineMode.h"
#include "component/RightCaptions.h"
#include "dialogs/InstallDialogs.h"
#include "language/LanguageHooks.h"
#include "operations/LoginReads.h"
#include "operations/Replica.h"
#include "outside/OutsideObjects.h"
#include "shell/ShellServices.h"

#include <optional>

namespace {
const QString DescriptionSection = QStringLiteral("Description");
constexpr auto Read = zav::OfflineMode::Purpose::Read;

std::shared_ptr<Class_LevelEnable> allRightsTrue() {
    auto rights = Class_LevelEnable::create();
    rights->setAllowManageLevel(true);
    rights->setAllowManageOperator(true);
    rights->setDisShutDown(true);
    rights->setAllowDesktop(true);
    for (int i = 1; i <= Class_LevelEnable::CustomCount; ++i) {
        rights->setAllowCustom(i, true);
    }
    return rights;
}

// A new level holding `from`'s number, names and rights, as a logout puts it in force.
std::shared_ptr<Class_Level> logoutLevelLike(const Class_Level& from) {
    auto level = Class_Level::create();
    zav::access::CopyLevel(from, *level);
    level->setCanHavePassword(false);
    return level;
}

// Object properties set from a script host hand over a raw pointer to an object whose owners are
// shared pointers; take part in that ownership.
template <typename T> std::shared_ptr<T> shared(T* object) {
    return object ? std::static_pointer_cast<T>(object->shared_from_this()) : nullptr;
}
} // namespace

ZAV_Login::ZAV_Login(Token) {
    m_offline = new zav::OfflineMode(
        [this](bool online) {
            zav::TellHost("connectionChanged", [&] { Q_EMIT connectionChanged(online); });
        },
        this);
    m_drvLanguage = Class_Language::create();
    m_autoShutDown = true;
    m_respEnable = allRightsTrue();
    zav::Mod_Globali().touchScreen = false;
}

ZAV_Login::~ZAV_Login() {
    runTermination();
    // On the thread that made it, the module lets go of the memory as well.
    if (zav::Mod_Globali().component.expired()) {
        zav::Mod_Globali().component.reset();
    }
}

std::shared_ptr<ZAV_Login> ZAV_Login::create() {
    auto component = std::make_shared<ZAV_Login>(Token{});
    // The module holds it weakly: the thread that made it never reaches it once it is released or
    // has terminated, on whatever thread that happens.
    zav::Mod_Globali().component = component;
    // The layers below reach the component and its dialogs through what it installs here.
    zav::InstallComponentView();
    zav::dialogs::InstallDialogs();
    zav::language::InstallLanguageHooks();
    return component;
}

void ZAV_Login::setcRespEnableObject(Class_LevelEnable* v) {
    m_respEnable = shared(v);
}
void ZAV_Login::setcDrvLanguageObject(Class_Language* v) {
    m_drvLanguage = shared(v);
}
void ZAV_Login::setCurrentLevelObject(Class_Level* v) {
    setCurrentLevel(shared(v));
}
void ZAV_Login::setCurrentOperatorObject(Class_Operator* v) {
    setCurrentOperator(shared(v));
}
void ZAV_Login::setCurrentLevel(std::shared_ptr<Class_Level> v) {
    m_currentLevel = std::move(v);
    ++m_sessionSerial;
}
void ZAV_Login::setCurrentOperator(std::shared_ptr<Class_Operator> v) {
    m_currentOperator = std::move(v);
    ++m_sessionSerial;
}

bool ZAV_Login::IsLogoutLevel() const {
    if (!m_currentLevel) {
        throw AutomationError(zav::ErrObjectVariableNotSet,
                              QStringLiteral("Object variable or With block variable not set"));
    }
    return m_currentLevel->ID() >= m_logoutLevelId;
}

bool ZAV_Login::IsTouchScreen() const {
    return zav::Mod_Globali().touchScreen;
}
void ZAV_Login::setIsTouchScreen(bool v) {
    zav::Mod_Globali().touchScreen = v;
}

bool ZAV_Login::IsOffline() const {
    return m_offline->IsOffline();
}

void ZAV_Login::setDbPath(const QString& path) {
    // A session belongs to its database: whoever is logged in leaves it first, recorded there.
    if (someoneLoggedIn() && !m_terminated) {
        logOut(LogoutReason::ByRequest, QStringLiteral("database changed"));
    }
    m_dbPath = path;
    m_lastLogoutLevel.reset();
    m_logoutLevelStale = false;
    zav::Mod_Globali().profilePath = path + QStringLiteral(".INI");
    m_offline->Reset(path);
    Fun_InitDatabase();
    m_respEnable.reset();
}

bool ZAV_Login::someoneLoggedIn() const {
    return m_currentLevel && m_currentLevel->ID() < m_logoutLevelId;
}

bool ZAV_Login::Logout() {
    recordPendingLogouts();
    logOut(LogoutReason::ByRequest, QStringLiteral("by request"));
    return true;
}

void ZAV_Login::logOut(LogoutReason reason, const QString& how) noexcept {
    const bool wasIn = someoneLoggedIn();
    disarmAutoLogout();
    // Nothing a dialog of the ended session holds is stored.
    zav::CloseOpenDialogs();
    if (wasIn) {
        recordLogout(how);
    }
    try {
        runLogoutProcedure(true);
    } catch (const std::exception& error) {
        qWarning("ZAV_Login: the logout could not complete: %s", error.what());
    } catch (...) {
        qWarning("ZAV_Login: the logout could not complete");
    }
    if (wasIn) {
        zav::TellHost("loggedOut", [this, reason] { Q_EMIT loggedOut(reason); });
    }
}

void ZAV_Login::runLogoutProcedure(bool tolerant) {
    std::shared_ptr<Class_Level> level = Class_Level::create();
    try {
        if (m_offline->Use(Read,
                           [&](const QString& path) { return zav::manage::ReadLogoutLevel(path, *level); })) {
            level->setCanHavePassword(false);
            level->setPassword(QString());
        }
        m_lastLogoutLevel = logoutLevelLike(*level);
        m_logoutLevelStale = false;
    } catch (const std::exception& error) {
        if (!tolerant) {
            setCurrentLevel(Class_Level::create());
            setCurrentOperator(Class_Operator::create());
            throw;
        }
        // The rights are lowered all the same: to the logout level read last, or to none at all.
        qWarning("ZAV_Login: the logout level could not be read (%s); the one read last is in force",
                 error.what());
        level = m_lastLogoutLevel ? logoutLevelLike(*m_lastLogoutLevel) : Class_Level::create();
        m_logoutLevelStale = true;
    }
    setCurrentLevel(level);
    setCurrentOperator(Class_Operator::create());
    m_logoutLevelId = m_currentLevel->ID();
    zav::shell::ShowDesktop(m_currentLevel->cLevelEnable()->AllowDesktop());
}

void ZAV_Login::refreshStaleLogoutLevel() noexcept {
    if (!m_logoutLevelStale || someoneLoggedIn() || m_terminated) {
        return;
    }
    try {
        runLogoutProcedure(true); // still stale while the database cannot be read
    } catch (const std::exception& error) {
        qWarning("ZAV_Login: the logout level could not be read again: %s", error.what());
    } catch (...) {
    }
}

void ZAV_Login::FollowRenumbering() {
    std::optional<int> largest;
    zav::manage::ForEachLevelFromLowest(m_dbPath, [this, &largest](int id, const QString& storedName) {
        if (!largest) {
            largest = id;
        }
        if (m_currentLevel && storedName == m_currentLevel->DBLevelName()) {
            m_currentLevel->setID(id);
        }
    });
    m_logoutLevelId = largest.value_or(0);
}

QVariant ZAV_Login::Terminate() {
    runTermination();
    return QVariant();
}

void ZAV_Login::runTermination() noexcept {
    if (!m_currentLevel || m_terminated) {
        return;
    }
    m_terminated = true;
    disarmAutoLogout();
    zav::CloseOpenDialogs();
    const bool wasIn = someoneLoggedIn();
    if (wasIn) {
        recordLogout(QStringLiteral("terminated"));
    }
    // Every step that fails is skipped; the procedure goes on and reports nothing.
    try {
        zav::shell::ShowDesktop(true);
    } catch (...) {
    }
    try {
        const auto rights = m_currentLevel->cLevelEnable();
        if (m_autoShutDown && rights && !rights->DisShutDown()) {
            bool goOn = true;
            if (rights->AllowDesktop()) {
                // A question that cannot be asked is not a yes.
                goOn = zav::MsgBox(DisShutDownDescription() + QStringLiteral("?"),
                                   zav::vbYesNo | zav::vbQuestion, QStringLiteral("Confirm")) == zav::vbYes;
            }
            if (goOn) {
                zav::shell::WinExit_cls().ExitWindows(zav::shell::ExitShutdown);
            }
        }
    } catch (...) {
    }
    m_drvLanguage.reset();
    if (zav::Mod_Globali().component.lock().get() == this) {
        zav::Mod_Globali().component.reset();
    }
    if (wasIn) {
        zav::TellHost("loggedOut", [this] { Q_EMIT loggedOut(LogoutReason::Terminated); });
    }
}

void ZAV_Login::ShutDownNow() {
    zav::shell::WinExit_cls().ExitWindows(zav::shell::ExitShutdown);
}

bool ZAV_Login::HaveOperators() {
    return m_offline->Use(Read, [](const QString& path) { return zav::manage::AnyOperators(path); });
}

bool ZAV_Login::HaveLevels() {
    return m_offline->Use(Read, [](const QString& path) { return zav::manage::AnyLevels(path); });
}

QString ZAV_Login::readCaption(const QString& key, const QString& defaultText) const {
    return m_offline->Use(Read, [&](const QString& path) {
        if (path != m_dbPath) {
            return zav::manage::ReadReplicaCaption(path, key, defaultText);
        }
        return zav::outside::profileStore().ReadEntry(zav::Mod_Globali().profilePath, DescriptionSection, key,
                                                      defaultText);
    });
}

void ZAV_Login::writeCaption(const QString& key, const QString& text) {
    m_offline->Use(zav::OfflineMode::Purpose::Change, [&](const QString&) {
        zav::outside::profileStore().WriteEntry(zav::Mod_Globali().profilePath, DescriptionSection, key,
                                                text);
    });
    m_offline->RequestRefresh();
}

QString ZAV_Login::EnableDescription(short Index) const {
    return readCaption(QString::number(Index), QStringLiteral("Custom ") + QString::number(Index));
}
void ZAV_Login::setEnableDescription(short Index, const QString& text) {
    writeCaption(QString::number(Index), text);
}

QString ZAV_Login::ManageLevelDescription() const {
    return readCaption(QLatin1String(zav::ManageLevelCaption.key),
                       QLatin1String(zav::ManageLevelCaption.builtIn));
}
void ZAV_Login::setManageLevelDescription(const QString& text) {
    writeCaption(QLatin1String(zav::ManageLevelCaption.key), text);
}

QString ZAV_Login::ManageOperatorDescription() const {
    return readCaption(QLatin1String(zav::ManageOperatorCaption.key),
                       QLatin1String(zav::ManageOperatorCaption.builtIn));
}
void ZAV_Login::setManageOperatorDescription(const QString& text) {
    writeCaption(QLatin1String(zav::ManageOperatorCaption.key), text);
}

QString ZAV_Login::DisShutDownDescription() const {
    return readCaption(QLatin1String(zav::ShutDownCaption.key), QLatin1String(zav::ShutDownCaption.builtIn));
}
void ZAV_Login::setDisShutDownDescription(const QString& text) {
    writeCaption(QLatin1String(zav::ShutDownCaption.key), text);
}

QString ZAV_Login::AllowDesktopDescription() const {
    return readCaption(QLatin1String(zav::DesktopCaption.key), QLatin1String(zav::DesktopCaption.builtIn));
}
void ZAV_Login::setAllowDesktopDescription(const QString& text) {
    writeCaption(QLatin1String(zav::DesktopCaption.key), text);
}
