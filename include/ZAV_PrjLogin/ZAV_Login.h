#pragma once

#include "Class_Language.h"
#include "Class_Level.h"
#include "Class_LevelEnable.h"
#include "Class_Operator.h"
#include "ZAV_Export.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <atomic>
#include <memory>
#include <vector>

namespace zav {
class AutoLogoutWatch;
class OfflineMode;
} // namespace zav

// The operator-login component. A host creates one, sets its switches and captions, assigns DbPath
// (which creates or completes the credential database and logs out), then logs operators in and out.
// Releasing it (or Terminate) shows the desktop again and may shut the machine down.
//
// It tells its host what happens through Qt signals, emitted on the component's thread while the member
// that caused them runs (a direct connection runs the slot before the member returns):
//   loggedIn(operatorName, levelId)  LoginByOperator or LoginByLevel succeeded; the name is empty for a
//                                    login by level (CurrentOperator then has no name).
//   loggedOut(reason)                the logout level took the place of another level: ByRequest through
//                                    Logout or a new DbPath, Terminated when Terminate or the release
//                                    ended the component (a slot must not call its members then),
//                                    AutoLogout when the policy's idle minutes ran out. Every logout
//                                    first closes the component's open dialogs, storing nothing, and
//                                    happens even when the database cannot be read: the logout level
//                                    read last is then in force (with its rights) until it can be.
//   loginFailed(name, mode)          the login dialog refused a password: the operator's name (mode 1) or
//                                    the level's stored name (mode 0). The password is never passed on.
//   autoLogoutWarning(seconds)       the warning before an automatic logout appeared (the policy's
//                                    auto-logout minutes passed without input while someone is logged in).
//   connectionChanged(online)        the server of a server database cannot be reached (false) and the
//                                    panel logs in from its local copy, or it is reached again (true) and
//                                    has taken what was recorded meanwhile; only while the policy's
//                                    offline-login-days is above 0 (IsOffline says which).
//   securityAlert(message)           an operator was locked out by wrong passwords typed to sign (Sign,
//                                    Verify); the message names the operator, in the current language.
// Slots must not throw: Qt does not catch. The component swallows what escapes a slot (with a warning),
// so a failing slot never undoes or fails a login. The signals are no automation members: the type
// library and the dispatcher do not know them; the script host forwards them itself.
class ZAV_EXPORT ZAV_Login : public QObject, public std::enable_shared_from_this<ZAV_Login> {
    Q_OBJECT
    Q_PROPERTY(Class_LevelEnable* cRespEnable READ cRespEnableObject WRITE setcRespEnableObject)
    Q_PROPERTY(Class_Language* cDrvLanguage READ cDrvLanguageObject WRITE setcDrvLanguageObject)
    Q_PROPERTY(bool IsLogoutLevel READ IsLogoutLevel)
    Q_PROPERTY(bool AutoShutDown READ AutoShutDown WRITE setAutoShutDown)
    Q_PROPERTY(Class_Operator* CurrentOperator READ CurrentOperatorObject WRITE setCurrentOperatorObject)
    Q_PROPERTY(Class_Level* CurrentLevel READ CurrentLevelObject WRITE setCurrentLevelObject)
    Q_PROPERTY(int EnableCount READ EnableCount WRITE setEnableCount)
    Q_PROPERTY(QString DbPath READ DbPath WRITE setDbPath)
    Q_PROPERTY(QString ManageLevelDescription READ ManageLevelDescription WRITE setManageLevelDescription)
    Q_PROPERTY(
        QString ManageOperatorDescription READ ManageOperatorDescription WRITE setManageOperatorDescription)
    Q_PROPERTY(QString DisShutDownDescription READ DisShutDownDescription WRITE setDisShutDownDescription)
    Q_PROPERTY(QString AllowDesktopDescription READ AllowDesktopDescription WRITE setAllowDesktopDescription)
    Q_PROPERTY(bool IsTouchScreen READ IsTouchScreen WRITE setIsTouchScreen)
    Q_PROPERTY(bool IsOffline READ IsOffline NOTIFY connectionChanged)

    struct Token {};

public:
    enum class LogoutReason { ByRequest, Terminated, AutoLogout };
    Q_ENUM(LogoutReason)

    explicit ZAV_Login(Token);
    // Runs the termination procedure unless Terminate already did; never throws.
    ~ZAV_Login() override;
    static std::shared_ptr<ZAV_Login> create();

    std::shared_ptr<Class_LevelEnable> cRespEnable() const { return m_respEnable; }
    void setcRespEnable(std::shared_ptr<Class_LevelEnable> v) { m_respEnable = std::move(v); }
    std::shared_ptr<Class_Language> cDrvLanguage() const { return m_drvLanguage; }
    void setcDrvLanguage(std::shared_ptr<Class_Language> v) { m_drvLanguage = std::move(v); }
    std::shared_ptr<Class_Level> CurrentLevel() const { return m_currentLevel; }
    void setCurrentLevel(std::shared_ptr<Class_Level> v);
    std::shared_ptr<Class_Operator> CurrentOperator() const { return m_currentOperator; }
    void setCurrentOperator(std::shared_ptr<Class_Operator> v);

    // True when the current level is the logout level (or one below it). Fails with automation
    // error 91 while there is no current level (before DbPath is assigned).
    bool IsLogoutLevel() const;
    bool AutoShutDown() const { return m_autoShutDown; }
    void setAutoShutDown(bool v) { m_autoShutDown = v; }
    int EnableCount() const { return m_enableCount; }
    void setEnableCount(int v) { m_enableCount = v; }

    // Caption of custom right Index, kept in the profile file next to the database.
    Q_INVOKABLE QString EnableDescription(short Index) const;
    Q_INVOKABLE void setEnableDescription(short Index, const QString& text);

    Q_INVOKABLE bool LoginByOperator();
    Q_INVOKABLE bool LoginByLevel();
    // Logs in the operator whose badge reads Code (a host with its own serial or HID reader), asking the
    // PIN on the PIN pad where the operator logs in with badge and PIN. Needs the policy's badge-login
    // and the panel's badge key; every refusal is told as the login dialog tells it. True when an
    // operator logged in.
    Q_INVOKABLE bool LoginByBadge(const QString& Code);
    Q_INVOKABLE bool Logout();
    Q_INVOKABLE QVariant Terminate();
    Q_INVOKABLE void ShutDownNow();
    Q_INVOKABLE bool Fun_InitDatabase();
    Q_INVOKABLE bool HaveOperators();
    Q_INVOKABLE bool HaveLevels();

    // Electronic signatures; both need the policy's audit and an operator logged in by name. Sign asks
    // the operator logged in for their password (and, on the first signing of a login, their name) and
    // a reason, and records the signature in the audit trail: the printed name, the time, Meaning,
    // Action, the reason. Verify does the same and then asks a second, different operator who holds the
    // right RightNumber (custom rights 1 to 100; 101 manage levels, 102 manage operators, 103 the
    // shutdown right, 104 the desktop; any other number fails with automation error 9) for name and
    // password, and records that person too. True only when the signature was recorded.
    Q_INVOKABLE bool Sign(const QString& Meaning, const QString& Action);
    Q_INVOKABLE bool Verify(const QString& Meaning, const QString& Action, short RightNumber);

    QString DbPath() const { return m_dbPath; }
    // Stores the path, sets the profile file path, initialises the database, releases cRespEnable.
    void setDbPath(const QString& path);

    QString ManageLevelDescription() const;
    void setManageLevelDescription(const QString& text);
    QString ManageOperatorDescription() const;
    void setManageOperatorDescription(const QString& text);
    QString DisShutDownDescription() const;
    void setDisShutDownDescription(const QString& text);
    QString AllowDesktopDescription() const;
    void setAllowDesktopDescription(const QString& text);

    // The touch-screen flag is shared by everything the component shows on this thread.
    bool IsTouchScreen() const;
    void setIsTouchScreen(bool v);

    // True while the server of a server DbPath cannot be reached and the panel works from its local copy
    // of the logins (policy offline-login-days above 0): logins are checked against the copy while it is
    // fresh enough, and the management window and password changes are refused. False for a file.
    bool IsOffline() const;

    // Object accessors of the meta-object properties (script hosts).
    Class_LevelEnable* cRespEnableObject() const { return m_respEnable.get(); }
    void setcRespEnableObject(Class_LevelEnable* v);
    Class_Language* cDrvLanguageObject() const { return m_drvLanguage.get(); }
    void setcDrvLanguageObject(Class_Language* v);
    Class_Level* CurrentLevelObject() const { return m_currentLevel.get(); }
    void setCurrentLevelObject(Class_Level* v);
    Class_Operator* CurrentOperatorObject() const { return m_currentOperator.get(); }
    void setCurrentOperatorObject(Class_Operator* v);

    // Whether the termination procedure has run (Terminate, or the release). Any thread may ask.
    bool Terminated() const noexcept { return m_terminated; }

    // The logout level ID remembered by the last logout.
    int LogoutLevelID() const { return m_logoutLevelId; }
    // Changes with every login and logout (whenever the current level or operator is replaced): a window
    // opened for one login knows when that login has ended.
    quint64 SessionSerial() const noexcept { return m_sessionSerial; }
    // After the component's own management window renumbered the levels: the current level takes the
    // number its stored name (DBLevelName) has now, and the logout level is the one with the largest
    // number now.
    void FollowRenumbering();

Q_SIGNALS:
    void loggedIn(const QString& operatorName, int levelId);
    void loggedOut(ZAV_Login::LogoutReason reason);
    void loginFailed(const QString& name, int mode);
    void autoLogoutWarning(int seconds);
    void connectionChanged(bool online);
    void securityAlert(const QString& message);

private:
    // True while a level other than the logout level is in force.
    bool someoneLoggedIn() const;
    // Every way out: closes the dialogs, records who leaves, puts the logout level in force (the one
    // read last when the database cannot be read now) and tells the host. Never fails.
    void logOut(LogoutReason reason, const QString& how) noexcept;
    // Reads the logout level into a new current level; `tolerant` falls back to the one read last
    // instead of failing (a logout always happens).
    void runLogoutProcedure(bool tolerant = false);
    // The logout level read last stood in for the real one: read it again while nobody is logged in.
    void refreshStaleLogoutLevel() noexcept;
    void runTermination() noexcept;
    void applyRegistryUpgrades() noexcept;
    // The automatic logout: the policy is read on DbPath and after each successful login; the watch is
    // made the first time it is armed.
    void readAutoLogoutPolicy();
    void armAutoLogout();
    void armAutoLogoutAfterLogin() noexcept;
    void disarmAutoLogout() noexcept;
    void logOutIdle();
    // Records in the audit trail (while the file's policy audits) that whoever is logged in leaves, and
    // how. A logout that cannot be recorded now is recorded once the database can be reached.
    void recordLogout(const QString& how) noexcept;
    void recordPendingLogouts() noexcept;
    bool login(int loginMode);
    // After a login went through: the automatic logout is armed and the host told.
    void announceLogin();
    // Sign, and with a right Verify.
    bool sign(const QString& meaning, const QString& action, int right);
    QString readCaption(const QString& key, const QString& defaultText) const;
    void writeCaption(const QString& key, const QString& text);

    struct PendingLogout {
        QString dbPath; // the database the session was on
        QString operatorName, level, how;
    };
    std::shared_ptr<Class_LevelEnable> m_respEnable;
    std::shared_ptr<Class_Language> m_drvLanguage;
    QString m_dbPath;
    int m_enableCount = 0;
    std::shared_ptr<Class_Level> m_currentLevel;
    std::shared_ptr<Class_Operator> m_currentOperator;
    bool m_autoShutDown = true;
    int m_logoutLevelId = 0;
    std::atomic<bool> m_terminated = false;
    int m_autoLogoutMinutes = 0;
    int m_autoLogoutWarningSeconds = 0;
    zav::AutoLogoutWatch* m_autoLogout = nullptr; // a child: QObject ends it
    zav::OfflineMode* m_offline = nullptr;        // a child: QObject ends it
    quint64 m_sessionSerial = 0;
    // The logout level as read last (its number, names and rights), for a logout that cannot read it.
    std::shared_ptr<Class_Level> m_lastLogoutLevel;
    bool m_logoutLevelStale = false;
    std::vector<PendingLogout> m_pendingLogouts; // logouts the audit trail could not take yet
    quint64 m_signedSession = ~quint64(0);       // the session of the last signature: its name was asked
};
