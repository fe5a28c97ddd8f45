#pragma once

// The script objects of the five classes: every member of an interface under its own name. Indexed
// properties are functions: the read takes the index (`AllowCustom(3)`), the write is "set" + name
// with the index first (`setAllowCustom(3, true)`). The creatable classes can also be made by QML.
// The component's view forwards its signals (`login.loggedIn.connect(f)`, `onLoggedIn` in QML); the
// logout reason arrives as its number.

#include "automation/script/ScriptObject.h"

#include <QJSValue>

namespace zav::script {

class ScriptLogin : public ScriptObject {
    Q_OBJECT
    Q_PROPERTY(QVariant cRespEnable READ cRespEnable WRITE setcRespEnable)
    Q_PROPERTY(QVariant cDrvLanguage READ cDrvLanguage WRITE setcDrvLanguage)
    Q_PROPERTY(QVariant IsLogoutLevel READ IsLogoutLevel)
    Q_PROPERTY(QVariant AutoShutDown READ AutoShutDown WRITE setAutoShutDown)
    Q_PROPERTY(QVariant CurrentOperator READ CurrentOperator WRITE setCurrentOperator)
    Q_PROPERTY(QVariant CurrentLevel READ CurrentLevel WRITE setCurrentLevel)
    Q_PROPERTY(QVariant EnableCount READ EnableCount WRITE setEnableCount)
    Q_PROPERTY(QVariant DbPath READ DbPath WRITE setDbPath)
    Q_PROPERTY(QVariant ManageLevelDescription READ ManageLevelDescription WRITE setManageLevelDescription)
    Q_PROPERTY(
        QVariant ManageOperatorDescription READ ManageOperatorDescription WRITE setManageOperatorDescription)
    Q_PROPERTY(QVariant DisShutDownDescription READ DisShutDownDescription WRITE setDisShutDownDescription)
    Q_PROPERTY(QVariant AllowDesktopDescription READ AllowDesktopDescription WRITE setAllowDesktopDescription)
    Q_PROPERTY(QVariant IsTouchScreen READ IsTouchScreen WRITE setIsTouchScreen)
    Q_PROPERTY(QVariant IsOffline READ IsOffline NOTIFY connectionChanged)

public:
    // A new component.
    explicit ScriptLogin(QObject* parent = nullptr);
    explicit ScriptLogin(std::shared_ptr<QObject> target, QObject* parent = nullptr);
    // Stops forwarding before the view's signals are gone.
    ~ScriptLogin() override;

    QVariant cRespEnable() const { return get("cRespEnable"); }
    void setcRespEnable(const QVariant& v) { put("cRespEnable", v); }
    QVariant cDrvLanguage() const { return get("cDrvLanguage"); }
    void setcDrvLanguage(const QVariant& v) { put("cDrvLanguage", v); }
    QVariant IsLogoutLevel() const { return get("IsLogoutLevel"); }
    QVariant AutoShutDown() const { return get("AutoShutDown"); }
    void setAutoShutDown(const QVariant& v) { put("AutoShutDown", v); }
    QVariant CurrentOperator() const { return get("CurrentOperator"); }
    void setCurrentOperator(const QVariant& v) { put("CurrentOperator", v); }
    QVariant CurrentLevel() const { return get("CurrentLevel"); }
    void setCurrentLevel(const QVariant& v) { put("CurrentLevel", v); }
    QVariant EnableCount() const { return get("EnableCount"); }
    void setEnableCount(const QVariant& v) { put("EnableCount", v); }
    QVariant DbPath() const { return get("DbPath"); }
    void setDbPath(const QVariant& v) { put("DbPath", v); }
    QVariant ManageLevelDescription() const { return get("ManageLevelDescription"); }
    void setManageLevelDescription(const QVariant& v) { put("ManageLevelDescription", v); }
    QVariant ManageOperatorDescription() const { return get("ManageOperatorDescription"); }
    void setManageOperatorDescription(const QVariant& v) { put("ManageOperatorDescription", v); }
    QVariant DisShutDownDescription() const { return get("DisShutDownDescription"); }
    void setDisShutDownDescription(const QVariant& v) { put("DisShutDownDescription", v); }
    QVariant AllowDesktopDescription() const { return get("AllowDesktopDescription"); }
    void setAllowDesktopDescription(const QVariant& v) { put("AllowDesktopDescription", v); }
    QVariant IsTouchScreen() const { return get("IsTouchScreen"); }
    void setIsTouchScreen(const QVariant& v) { put("IsTouchScreen", v); }
    QVariant IsOffline() const { return get("IsOffline"); }

    Q_INVOKABLE QVariant EnableDescription(const QVariant& Index = QVariant()) const {
        return get("EnableDescription", {Index});
    }
    Q_INVOKABLE void setEnableDescription(const QVariant& Index, const QVariant& v) {
        put("EnableDescription", v, {Index});
    }
    Q_INVOKABLE QVariant LoginByOperator() { return call("LoginByOperator"); }
    Q_INVOKABLE QVariant LoginByLevel() { return call("LoginByLevel"); }
    Q_INVOKABLE QVariant Logout() { return call("Logout"); }
    Q_INVOKABLE QVariant Terminate() { return call("Terminate"); }
    Q_INVOKABLE void ShutDownNow() { call("ShutDownNow"); }
    Q_INVOKABLE QVariant Fun_InitDatabase() { return call("Fun_InitDatabase"); }
    Q_INVOKABLE QVariant HaveOperators() { return call("HaveOperators"); }
    Q_INVOKABLE QVariant HaveLevels() { return call("HaveLevels"); }
    Q_INVOKABLE QVariant Sign(const QVariant& Meaning, const QVariant& Action) {
        return call("Sign", {Meaning, Action});
    }
    Q_INVOKABLE QVariant LoginByBadge(const QVariant& Code) { return call("LoginByBadge", {Code}); }
    Q_INVOKABLE QVariant Verify(const QVariant& Meaning, const QVariant& Action,
                                const QVariant& RightNumber) {
        return call("Verify", {Meaning, Action, RightNumber});
    }

Q_SIGNALS:
    void loggedIn(const QString& operatorName, int levelId);
    void loggedOut(int reason);
    void loginFailed(const QString& name, int mode);
    void autoLogoutWarning(int seconds);
    void connectionChanged(bool online);
    void securityAlert(const QString& message);

private:
    void forwardSignals();
};

class ScriptLevel : public ScriptObject {
    Q_OBJECT
    Q_PROPERTY(QVariant cLevelEnable READ cLevelEnable WRITE setcLevelEnable)
    Q_PROPERTY(QVariant LevelName READ LevelName WRITE setLevelName)
    Q_PROPERTY(QVariant DBLevelName READ DBLevelName WRITE setDBLevelName)
    Q_PROPERTY(QVariant Password READ Password WRITE setPassword)
    Q_PROPERTY(QVariant ID READ ID WRITE setID)
    Q_PROPERTY(QVariant CanHavePassword READ CanHavePassword)

public:
    explicit ScriptLevel(std::shared_ptr<QObject> target, QObject* parent = nullptr);

    Q_INVOKABLE QVariant ShowStructure() { return call("ShowStructure"); }
    Q_INVOKABLE QVariant ChangePassword(const QVariant& LockOldPWD = QVariant()) {
        return call("ChangePassword", {LockOldPWD});
    }
    QVariant cLevelEnable() const { return get("cLevelEnable"); }
    void setcLevelEnable(const QVariant& v) { put("cLevelEnable", v); }
    QVariant LevelName() const { return get("LevelName"); }
    void setLevelName(const QVariant& v) { put("LevelName", v); }
    QVariant DBLevelName() const { return get("DBLevelName"); }
    void setDBLevelName(const QVariant& v) { put("DBLevelName", v); }
    QVariant Password() const { return get("Password"); }
    void setPassword(const QVariant& v) { put("Password", v); }
    QVariant ID() const { return get("ID"); }
    void setID(const QVariant& v) { put("ID", v); }
    QVariant CanHavePassword() const { return get("CanHavePassword"); }
};

class ScriptOperator : public ScriptObject {
    Q_OBJECT
    Q_PROPERTY(QVariant cLevel READ cLevel WRITE setcLevel)
    Q_PROPERTY(QVariant Password READ Password WRITE setPassword)
    Q_PROPERTY(QVariant OperatorName READ OperatorName WRITE setOperatorName)

public:
    explicit ScriptOperator(std::shared_ptr<QObject> target, QObject* parent = nullptr);

    Q_INVOKABLE QVariant ChangePassword(const QVariant& LockOldPWD = QVariant()) {
        return call("ChangePassword", {LockOldPWD});
    }
    QVariant cLevel() const { return get("cLevel"); }
    void setcLevel(const QVariant& v) { put("cLevel", v); }
    QVariant Password() const { return get("Password"); }
    void setPassword(const QVariant& v) { put("Password", v); }
    QVariant OperatorName() const { return get("OperatorName"); }
    void setOperatorName(const QVariant& v) { put("OperatorName", v); }
};

class ScriptLevelEnable : public ScriptObject {
    Q_OBJECT
    Q_PROPERTY(QVariant AllowManageLevel READ AllowManageLevel WRITE setAllowManageLevel)
    Q_PROPERTY(QVariant AllowManageOperator READ AllowManageOperator WRITE setAllowManageOperator)
    Q_PROPERTY(QVariant DisShutDown READ DisShutDown WRITE setDisShutDown)
    Q_PROPERTY(QVariant AllowDesktop READ AllowDesktop WRITE setAllowDesktop)

public:
    // A new permission set.
    explicit ScriptLevelEnable(QObject* parent = nullptr);
    explicit ScriptLevelEnable(std::shared_ptr<QObject> target, QObject* parent = nullptr);

    Q_INVOKABLE QVariant AllowCustom(const QVariant& Index = QVariant()) const {
        return get("AllowCustom", {Index});
    }
    Q_INVOKABLE void setAllowCustom(const QVariant& Index, const QVariant& v) {
        put("AllowCustom", v, {Index});
    }
    QVariant AllowManageLevel() const { return get("AllowManageLevel"); }
    void setAllowManageLevel(const QVariant& v) { put("AllowManageLevel", v); }
    QVariant AllowManageOperator() const { return get("AllowManageOperator"); }
    void setAllowManageOperator(const QVariant& v) { put("AllowManageOperator", v); }
    QVariant DisShutDown() const { return get("DisShutDown"); }
    void setDisShutDown(const QVariant& v) { put("DisShutDown", v); }
    QVariant AllowDesktop() const { return get("AllowDesktop"); }
    void setAllowDesktop(const QVariant& v) { put("AllowDesktop", v); }
};

class ScriptLanguage : public ScriptObject {
    Q_OBJECT
    Q_PROPERTY(QVariant CurrentLanguage READ CurrentLanguage WRITE setCurrentLanguage)
    Q_PROPERTY(QVariant DbLanguagePath READ DbLanguagePath WRITE setDbLanguagePath)

public:
    explicit ScriptLanguage(std::shared_ptr<QObject> target, QObject* parent = nullptr);

    QVariant CurrentLanguage() const { return get("CurrentLanguage"); }
    void setCurrentLanguage(const QVariant& v) { put("CurrentLanguage", v); }
    QVariant DbLanguagePath() const { return get("DbLanguagePath"); }
    void setDbLanguagePath(const QVariant& v) { put("DbLanguagePath", v); }
    // Fills the array cCol (by reference) with the names of the languages on offer and returns their
    // number.
    Q_INVOKABLE QVariant EnumLanguages(QJSValue cCol = QJSValue());
};

} // namespace zav::script
