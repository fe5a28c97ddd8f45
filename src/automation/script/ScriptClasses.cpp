#include "automation/script/ScriptClasses.h"

#include "automation/AutomationTypes.h"
#include "automation/Dispatcher.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QStringList>

namespace zav::script {

using automation::CreateObject;

ScriptLogin::ScriptLogin(QObject* parent) : ScriptObject(CreateObject(u"ZAV_Login"), parent) {
    forwardSignals();
}
ScriptLogin::ScriptLogin(std::shared_ptr<QObject> target, QObject* parent)
    : ScriptObject(std::move(target), parent) {
    forwardSignals();
}

ScriptLogin::~ScriptLogin() {
    if (target()) {
        disconnect(target(), nullptr, this, nullptr);
    }
}

void ScriptLogin::forwardSignals() {
    const auto* login = qobject_cast<const ZAV_Login*>(target());
    if (!login) {
        return;
    }
    connect(login, &ZAV_Login::loggedIn, this, &ScriptLogin::loggedIn);
    connect(login, &ZAV_Login::loggedOut, this,
            [this](ZAV_Login::LogoutReason reason) { Q_EMIT loggedOut(static_cast<int>(reason)); });
    connect(login, &ZAV_Login::loginFailed, this, &ScriptLogin::loginFailed);
    connect(login, &ZAV_Login::autoLogoutWarning, this, &ScriptLogin::autoLogoutWarning);
    connect(login, &ZAV_Login::connectionChanged, this, &ScriptLogin::connectionChanged);
    connect(login, &ZAV_Login::securityAlert, this, &ScriptLogin::securityAlert);
}

ScriptLevel::ScriptLevel(std::shared_ptr<QObject> target, QObject* parent)
    : ScriptObject(std::move(target), parent) {}

ScriptOperator::ScriptOperator(std::shared_ptr<QObject> target, QObject* parent)
    : ScriptObject(std::move(target), parent) {}

ScriptLevelEnable::ScriptLevelEnable(QObject* parent)
    : ScriptObject(CreateObject(u"Class_LevelEnable"), parent) {}
ScriptLevelEnable::ScriptLevelEnable(std::shared_ptr<QObject> target, QObject* parent)
    : ScriptObject(std::move(target), parent) {}

ScriptLanguage::ScriptLanguage(std::shared_ptr<QObject> target, QObject* parent)
    : ScriptObject(std::move(target), parent) {}

QVariant ScriptLanguage::EnumLanguages(QJSValue cCol) {
    QVariantList args;
    if (!cCol.isUndefined()) {
        args << QVariant(QStringList());
    }
    const QVariant count = invoke("EnumLanguages", automation::Method, args);
    if (count.isValid() && cCol.isArray()) {
        const QStringList names = args.first().toStringList();
        cCol.setProperty(QStringLiteral("length"), 0);
        for (qsizetype i = 0; i < names.size(); ++i) {
            cCol.setProperty(static_cast<quint32>(i), names.at(i));
        }
    }
    return count;
}

} // namespace zav::script
