#include "base/SessionGuard.h"

#include "base/Mod_Globali.h"

#include <vector>

namespace zav {

namespace {
// The sessions the open guards were made in, innermost last.
thread_local std::vector<quint64> guardedSessions;

std::shared_ptr<ComponentView> componentOrNull() {
    try {
        return RequireComponent();
    } catch (const AutomationError&) {
        return nullptr;
    }
}
} // namespace

SessionGuard::SessionGuard(const QObject* ownerLevel) {
    const auto component = componentOrNull();
    if (component && ownerLevel && component->CurrentLevelObject() == ownerLevel) {
        guardedSessions.push_back(component->SessionSerial());
        m_bound = true;
    }
}

SessionGuard::~SessionGuard() {
    if (m_bound && !guardedSessions.empty()) {
        guardedSessions.pop_back();
    }
}

void RequireSessionsInForce() {
    if (guardedSessions.empty()) {
        return;
    }
    const auto component = componentOrNull();
    for (const quint64 session : guardedSessions) {
        if (!component || component->SessionSerial() != session) {
            throw AutomationError(ErrSessionEnded,
                                  QStringLiteral("The login this window was opened for has ended; nothing "
                                                 "was stored."));
        }
    }
}

QString DbPathForWriting() {
    RequireSessionsInForce();
    return RequireComponent()->DbPath();
}

} // namespace zav
