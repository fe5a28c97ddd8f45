#pragma once

// A script's view of one automation object. Its members go through the dispatch layer, so arguments
// convert as automation converts them and a failure becomes a script exception (an Error with the
// automation `number` and `description`) instead of a C++ exception inside the script engine. Here
// Booleans are script Booleans, and object values are the script objects of the automation objects,
// one per object and thread, so that identity holds. A trailing undefined argument counts as missing.

#include <ZAV_PrjLogin/AutomationError.h>

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <memory>
#include <vector>

namespace zav::script {

class ScriptObject : public QObject {
    Q_OBJECT

public:
    ~ScriptObject() override;

    QObject* target() const { return m_target.get(); }
    // Drops this view's share of the object; when it was the last, the object ends (a component runs
    // its termination). Members fail with error 91 afterwards.
    void release();

    // The script object of `target`, made on first use and owned by the script engine that receives
    // it; nullptr for null. One made for a member of `owner` that no engine takes (a C++ caller read
    // it) ends with `owner`.
    static ScriptObject* of(const std::shared_ptr<QObject>& target, ScriptObject* owner = nullptr);

protected:
    explicit ScriptObject(std::shared_ptr<QObject> target, QObject* parent = nullptr);

    QVariant get(const char* member, QVariantList index = {}) const;
    // A let for a value, a set for an object or null, as the member accepts.
    void put(const char* member, const QVariant& value, QVariantList index = {});
    QVariant call(const char* member, QVariantList args = {});
    // Any accessor; arguments passed by reference are written back into `args`.
    QVariant invoke(const char* member, unsigned kinds, QVariantList& args) const;

private:
    std::shared_ptr<QObject> m_target;
    std::vector<QPointer<ScriptObject>> m_handedOut; // views made for this one's members
};

// Throws the error into the script engine that runs `context`'s members; false when no engine does
// (a C++ caller), in which case the caller rethrows.
bool RaiseInScript(const QObject* context, const AutomationError& error);

} // namespace zav::script
