#include "automation/script/ScriptClasses.h"

#include "automation/AutomationTypes.h"
#include "automation/Dispatcher.h"

#include <QStringList>

namespace zav::script {

using automation::CreateObject;

ScriptLogin::ScriptLogin(QObject* parent) : ScriptObject(CreateObject(u"ZAV_Login"), parent) {}
ScriptLogin::ScriptLogin(std::shared_ptr<QObject> target, QObject* parent)
    : ScriptObject(std::move(target), parent) {}

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
