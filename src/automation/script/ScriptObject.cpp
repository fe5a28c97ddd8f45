#include "automation/script/ScriptObject.h"

#include "automation/AutomationErrors.h"
#include "automation/ClassBindings.h"
#include "automation/Dispatcher.h"
#include "automation/VariantBool.h"
#include "automation/VariantConversion.h"
#include "automation/script/ScriptClasses.h"

#include <QHash>
#include <QJSEngine>

namespace zav::script {
namespace {

using namespace zav::automation;

// One script object per automation object on this thread.
QHash<const QObject*, ScriptObject*>& views() {
    thread_local QHash<const QObject*, ScriptObject*> map;
    return map;
}

QVariant toAutomation(const QVariant& value) {
    if (auto* view = qobject_cast<ScriptObject*>(ObjectOf(value))) {
        return ObjectValue(view->target());
    }
    return value;
}

QVariant toScript(const QVariant& value, ScriptObject* owner) {
    if (value.metaType() == QMetaType::fromType<VariantBool>()) {
        return value.value<VariantBool>().isTrue();
    }
    if (IsObjectValue(value)) {
        return QVariant::fromValue(
            static_cast<QObject*>(ScriptObject::of(ShareObject(ObjectOf(value)), owner)));
    }
    return value;
}

ScriptObject* makeView(const std::shared_ptr<QObject>& target) {
    const InterfaceDesc* iface = InterfaceOf(target.get());
    if (!iface) {
        return nullptr;
    }
    if (iface->coclass == "ZAV_Login") {
        return new ScriptLogin(target);
    }
    if (iface->coclass == "Class_Level") {
        return new ScriptLevel(target);
    }
    if (iface->coclass == "Class_Operator") {
        return new ScriptOperator(target);
    }
    if (iface->coclass == "Class_LevelEnable") {
        return new ScriptLevelEnable(target);
    }
    return new ScriptLanguage(target);
}

} // namespace

bool RaiseInScript(const QObject* context, const AutomationError& error) {
    QJSEngine* engine = qjsEngine(context);
    if (!engine) {
        return false;
    }
    QJSValue value = engine->newErrorObject(QJSValue::GenericError, error.Description());
    value.setProperty(QStringLiteral("number"), error.Number());
    value.setProperty(QStringLiteral("description"), error.Description());
    engine->throwError(value);
    return true;
}

ScriptObject::ScriptObject(std::shared_ptr<QObject> target, QObject* parent)
    : QObject(parent), m_target(std::move(target)) {
    if (m_target) {
        views().insert(m_target.get(), this);
    }
}

ScriptObject::~ScriptObject() {
    release();
    // The views this one handed out that no script engine took (a C++ caller read them) end with it.
    for (const QPointer<ScriptObject>& view : m_handedOut) {
        if (view && !qjsEngine(view)) {
            delete view.data();
        }
    }
}

void ScriptObject::release() {
    if (!m_target) {
        return;
    }
    if (views().value(m_target.get()) == this) {
        views().remove(m_target.get());
    }
    // Reset through a local: the object's end may show a message box and run the event loop. A
    // component that ends here still tells this view (its termination); one that others keep alive
    // speaks no more through it.
    std::shared_ptr<QObject> last = std::move(m_target);
    const QPointer<QObject> kept = last.get();
    last.reset();
    if (kept) {
        disconnect(kept.data(), nullptr, this, nullptr);
    }
}

ScriptObject* ScriptObject::of(const std::shared_ptr<QObject>& target, ScriptObject* owner) {
    if (!target) {
        return nullptr;
    }
    if (ScriptObject* known = views().value(target.get())) {
        return known;
    }
    ScriptObject* view = makeView(target);
    if (view) {
        QJSEngine::setObjectOwnership(view, QJSEngine::JavaScriptOwnership);
        if (owner) {
            std::erase_if(owner->m_handedOut, [](const QPointer<ScriptObject>& gone) { return !gone; });
            owner->m_handedOut.emplace_back(view);
        }
    }
    return view;
}

QVariant ScriptObject::get(const char* member, QVariantList index) const {
    return invoke(member, Get, index);
}

void ScriptObject::put(const char* member, const QVariant& value, QVariantList index) {
    index.append(value);
    invoke(member, Let | Set, index);
}

QVariant ScriptObject::call(const char* member, QVariantList args) {
    return invoke(member, Method, args);
}

QVariant ScriptObject::invoke(const char* member, unsigned kinds, QVariantList& args) const {
    while (!args.isEmpty() && !args.last().isValid()) {
        args.removeLast();
    }
    for (QVariant& arg : args) {
        arg = toAutomation(arg);
    }
    try {
        if (!m_target) {
            Raise(ErrObjectVariableNotSet);
        }
        // Handing a view out leaves what this view stands for unchanged.
        return toScript(Invoke(m_target.get(), QString::fromLatin1(member), kinds, args),
                        const_cast<ScriptObject*>(this));
    } catch (const AutomationError& error) {
        if (!RaiseInScript(this, error)) {
            throw;
        }
    }
    return QVariant();
}

} // namespace zav::script
