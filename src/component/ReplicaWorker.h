#pragma once

// The offline mode's worker (component/OfflineMode.h), living on a thread of its own: each refresh of a
// panel's copy runs there, on that thread's own server connection, and its report goes back by a queued
// signal, which Qt drops once the offline mode is gone.

#include "component/OfflineMode.h"

#include <QObject>

namespace zav {

class ReplicaWorker : public QObject {
    Q_OBJECT

public:
    // On the worker's thread: refreshes the copy of `dbPath` and reports how it went.
    void Refresh(const QString& dbPath, quint64 generation) noexcept;

Q_SIGNALS:
    void refreshed(quint64 generation, const zav::RefreshReport& report);
};

} // namespace zav
