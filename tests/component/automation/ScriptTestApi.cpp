#include "ScriptTestApi.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QJSEngine>
#include <QTreeWidget>
#include <QWidget>

namespace zav::test {
namespace {

QString shown(const QJSValue& value, QJSEngine& engine) {
    if (value.isArray() || (value.isObject() && !value.isQObject() && !value.isCallable())) {
        return engine.globalObject()
            .property(QStringLiteral("JSON"))
            .property(QStringLiteral("stringify"))
            .call({value})
            .toString();
    }
    return value.isString() ? QLatin1Char('"') + value.toString() + QLatin1Char('"') : value.toString();
}

QString failureText(const QJSValue& error) {
    return QStringLiteral("%1 (line %2)\n%3")
        .arg(error.toString(), error.property(QStringLiteral("lineNumber")).toString(),
             error.property(QStringLiteral("stack")).toString());
}

} // namespace

ScriptDialog::ScriptDialog(QWidget* dialog, QObject* parent) : QObject(parent), m_dialog(dialog) {}

QObject* ScriptDialog::widget() const {
    return m_dialog.data();
}

QObject* ScriptDialog::child(const QString& objectName) const {
    QObject* found = m_dialog ? m_dialog->findChild<QObject*>(objectName) : nullptr;
    if (found) {
        QJSEngine::setObjectOwnership(found, QJSEngine::CppOwnership);
    }
    return found;
}

ScriptTestApi::ScriptTestApi(QJSEngine& engine, ComponentEnvironment& env) : m_engine(engine), m_env(env) {}

void ScriptTestApi::record(bool ok, const QString& what) {
    ++m_checks;
    if (!ok) {
        m_failures << what;
    }
}

void ScriptTestApi::compare(const QJSValue& actual, const QJSValue& expected, const QString& what) {
    const bool structured = actual.isArray() && expected.isArray();
    const bool same =
        structured ? shown(actual, m_engine) == shown(expected, m_engine) : actual.strictlyEquals(expected);
    record(same, QStringLiteral("%1: got %2, expected %3")
                     .arg(what, shown(actual, m_engine), shown(expected, m_engine)));
}

void ScriptTestApi::verify(const QJSValue& condition, const QString& what) {
    record(condition.toBool(), what);
}

void ScriptTestApi::fail(const QString& what) {
    record(false, what);
}

void ScriptTestApi::addLevel(int id, const QString& name, const QVariant& password, bool desktop) {
    m_env.addLevel(id, name, password.isNull() ? QVariant() : password, desktop);
}

bool ScriptTestApi::removeFile(const QString& path) const {
    return QFile::remove(path);
}

QStringList ScriptTestApi::shellCalls() const {
    return m_env.shell->calls();
}

void ScriptTestApi::clearShell() {
    m_env.shell->clear();
}

QStringList ScriptTestApi::messages() const {
    QStringList texts;
    for (const ShownMessage& message : m_env.messages) {
        texts << message.text;
    }
    return texts;
}

void ScriptTestApi::whenDialog(const QString& className, const QJSValue& callback) {
    m_awaited << className;
    const QByteArray wanted = className.toLatin1();
    whenModal(
        [wanted](QWidget* w) { return w->inherits(wanted.constData()); },
        [this, className, callback](QWidget* dialog) {
            m_awaited.removeOne(className);
            auto* handle = new ScriptDialog(dialog, this);
            QJSEngine::setObjectOwnership(handle, QJSEngine::CppOwnership);
            const QJSValue result = QJSValue(callback).call({m_engine.newQObject(handle)});
            if (result.isError()) {
                m_failures << QStringLiteral("in the %1 handler: %2").arg(className, failureText(result));
                dialog->close();
            }
        });
}

void ScriptTestApi::selectItem(QObject* list, const QString& text) {
    auto* tree = qobject_cast<QTreeWidget*>(list);
    const auto found = tree ? tree->findItems(text, Qt::MatchExactly) : QList<QTreeWidgetItem*>();
    record(!found.isEmpty(), QStringLiteral("a row \"%1\" to select").arg(text));
    if (!found.isEmpty()) {
        tree->setCurrentItem(found.first());
    }
}

QStringList ScriptTestApi::itemTexts(QObject* list) const {
    QStringList texts;
    if (auto* tree = qobject_cast<QTreeWidget*>(list)) {
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            texts << tree->topLevelItem(i)->text(0);
        }
    }
    return texts;
}

QStringList ScriptTestApi::failures() const {
    QStringList all = m_failures;
    for (const QString& className : m_awaited) {
        all << QStringLiteral("no %1 was shown").arg(className);
    }
    return all;
}

} // namespace zav::test
