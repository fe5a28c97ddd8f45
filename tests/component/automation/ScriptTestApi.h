#pragma once

// What the JavaScript tests reach as the global `Test`: checks, the test database and folder, the
// recorded shell calls and message boxes, and driving the component's modal dialogs.

#include "support/ComponentFixture.h"

#include <QJSValue>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariant>

class QJSEngine;
class QWidget;

namespace zav::test {

// A dialog handed to a script: the dialog itself (`widget`, whose slots and properties the script
// uses) and its controls by objectName.
class ScriptDialog : public QObject {
    Q_OBJECT
    Q_PROPERTY(QObject* widget READ widget CONSTANT)

public:
    ScriptDialog(QWidget* dialog, QObject* parent);
    QObject* widget() const;
    Q_INVOKABLE QObject* child(const QString& objectName) const;

private:
    QPointer<QWidget> m_dialog;
};

class ScriptTestApi : public QObject {
    Q_OBJECT

public:
    ScriptTestApi(QJSEngine& engine, ComponentEnvironment& env);

    Q_INVOKABLE void compare(const QJSValue& actual, const QJSValue& expected, const QString& what);
    Q_INVOKABLE void verify(const QJSValue& condition, const QString& what);
    Q_INVOKABLE void fail(const QString& what);

    Q_INVOKABLE QString tempPath(const QString& name) const { return m_env.path(name); }
    Q_INVOKABLE QString dbPath() const { return m_env.dbPath(); }
    Q_INVOKABLE void addLevel(int id, const QString& name, const QVariant& password, bool desktop);
    Q_INVOKABLE int count(const QString& sql) const { return m_env.count(sql); }
    Q_INVOKABLE bool removeFile(const QString& path) const;

    Q_INVOKABLE QStringList shellCalls() const;
    Q_INVOKABLE void clearShell();
    Q_INVOKABLE QStringList messages() const;

    // Calls `callback` with the next modal dialog that inherits `className` ("zav::Frm_Login") once it
    // is shown. Arm it before the call that opens the dialog.
    Q_INVOKABLE void whenDialog(const QString& className, const QJSValue& callback);
    // Makes the list's row with that text the current one, as a click would.
    Q_INVOKABLE void selectItem(QObject* list, const QString& text);
    Q_INVOKABLE QStringList itemTexts(QObject* list) const;

    // Failures so far, including dialogs that were awaited but never shown.
    QStringList failures() const;
    int checks() const { return m_checks; }

private:
    void record(bool ok, const QString& what);

    QJSEngine& m_engine;
    ComponentEnvironment& m_env;
    QStringList m_failures;
    QStringList m_awaited;
    int m_checks = 0;
};

} // namespace zav::test
