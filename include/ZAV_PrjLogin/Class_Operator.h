#pragma once

#include "Class_Level.h"
#include "ZAV_Export.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>

// An operator: a named user with an optional password who belongs to one level.
class ZAV_EXPORT Class_Operator : public QObject, public std::enable_shared_from_this<Class_Operator> {
    Q_OBJECT
    Q_PROPERTY(Class_Level* cLevel READ cLevelObject WRITE setcLevelObject)
    Q_PROPERTY(QString Password READ Password WRITE setPassword)
    Q_PROPERTY(QVariant OperatorName READ OperatorName WRITE setOperatorName)
    Q_CLASSINFO("DefaultProperty", "OperatorName")

    struct Token {};

public:
    explicit Class_Operator(Token);
    ~Class_Operator() override;
    static std::shared_ptr<Class_Operator> create();

    // Opens the password change dialog for this operator; true when a new password was saved.
    Q_INVOKABLE bool ChangePassword(bool LockOldPWD = false);

    std::shared_ptr<Class_Level> cLevel() const { return m_level; }
    void setcLevel(std::shared_ptr<Class_Level> v) { m_level = std::move(v); }
    Class_Level* cLevelObject() const { return m_level.get(); }
    // Object assignment from a script host: shares ownership of an object made by create().
    void setcLevelObject(Class_Level* v) {
        m_level = v ? std::static_pointer_cast<Class_Level>(v->shared_from_this()) : nullptr;
    }

    QString Password() const { return m_password; }
    void setPassword(const QString& v) { m_password = v; }

    // The name is a variant: a text, or an object reference stored with setOperatorNameObject.
    // The get returns the object when one is held, else a copy of the value.
    QVariant OperatorName() const;
    // Let: copies the value (and drops any object held).
    void setOperatorName(const QVariant& v);
    // Set: stores an object reference, shared with its other holders.
    void setOperatorNameObject(std::shared_ptr<QObject> object);
    // The name as text ("" when empty or an object), for SQL and captions.
    QString OperatorNameText() const;

private:
    QVariant m_name;
    std::shared_ptr<QObject> m_nameObject;
    QString m_password;
    std::shared_ptr<Class_Level> m_level;
};
