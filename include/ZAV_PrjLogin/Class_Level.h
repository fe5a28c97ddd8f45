#pragma once

#include "Class_LevelEnable.h"
#include "ZAV_Export.h"

#include <QObject>
#include <QString>
#include <memory>

// An access level: its number, stored and display names, password and permission set.
// Level 0 is the top level; the level with the largest ID is in force when nobody is logged in.
class ZAV_EXPORT Class_Level : public QObject, public std::enable_shared_from_this<Class_Level> {
    Q_OBJECT
    Q_PROPERTY(Class_LevelEnable* cLevelEnable READ cLevelEnableObject WRITE setcLevelEnableObject)
    Q_PROPERTY(QString LevelName READ LevelName WRITE setLevelName)
    Q_PROPERTY(QString DBLevelName READ DBLevelName WRITE setDBLevelName)
    Q_PROPERTY(QString Password READ Password WRITE setPassword)
    Q_PROPERTY(int ID READ ID WRITE setID)
    Q_PROPERTY(bool CanHavePassword READ CanHavePassword)
    Q_CLASSINFO("DefaultProperty", "LevelName")

    struct Token {};

public:
    explicit Class_Level(Token);
    ~Class_Level() override;
    static std::shared_ptr<Class_Level> create();

    // Opens the management window when this level may manage levels or operators; always false.
    Q_INVOKABLE bool ShowStructure();
    // Opens the password change dialog for this level; true when a new password was saved.
    Q_INVOKABLE bool ChangePassword(bool LockOldPWD = false);

    std::shared_ptr<Class_LevelEnable> cLevelEnable() const { return m_levelEnable; }
    void setcLevelEnable(std::shared_ptr<Class_LevelEnable> v) { m_levelEnable = std::move(v); }
    Class_LevelEnable* cLevelEnableObject() const { return m_levelEnable.get(); }
    // Object assignment from a script host: shares ownership of an object made by create().
    void setcLevelEnableObject(Class_LevelEnable* v) {
        m_levelEnable = v ? std::static_pointer_cast<Class_LevelEnable>(v->shared_from_this()) : nullptr;
    }

    QString LevelName() const { return m_levelName; }
    void setLevelName(const QString& v) { m_levelName = v; }
    QString DBLevelName() const { return m_dbLevelName; }
    void setDBLevelName(const QString& v) { m_dbLevelName = v; }
    QString Password() const { return m_password; }
    void setPassword(const QString& v) { m_password = v; }
    int ID() const { return m_id; }
    void setID(int v) { m_id = v; }
    bool CanHavePassword() const { return m_canHavePassword; }
    // Only the component sets this: logout clears it, a login sets it.
    void setCanHavePassword(bool v) { m_canHavePassword = v; }

private:
    int m_id = 0;
    QString m_password;
    QString m_dbLevelName;
    QString m_levelName;
    std::shared_ptr<Class_LevelEnable> m_levelEnable;
    bool m_canHavePassword = true;
};
