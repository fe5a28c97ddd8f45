#pragma once

// Logins while the server of a server database cannot be reached, from the panel's local copy
// (operations/Replica.h), kept while the server's policy sets offline-login-days above 0. For a file, and
// while that policy is 0, nothing here runs: no thread, no file.
//
// The component asks this object which database to use. Online it is the server; a call to the server
// that ends with 3043 (no connection, an I/O failure, a deadline; not a refused role nor a missing
// database) switches to the copy when there is one or when the server's policy was seen to keep one, and
// the call runs again there. While offline every read goes to the copy, logins only while it is fresh
// enough, and changes are refused with a message saying why. A worker thread with its own server
// connection refreshes the copy (the GUI thread never waits for it): after each successful login, after
// each change the panel makes and every offline-sync-minutes. While offline it tries every 10 s; the first
// refresh that reaches the server sends what was queued first and brings the panel back online.

#include "operations/Policy.h"
#include "operations/Replica.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

class QThread;
class ZAV_Login;

namespace zav {

// What one refresh on the worker thread came to.
struct RefreshReport {
    int errorNumber = 0; // 0: it reached the server
    QString error;
    bool kept = false; // the server's policy keeps a copy
    QString path;
    int syncMinutes = 0;
};

class ReplicaWorker;

class OfflineMode : public QObject {
    Q_OBJECT

public:
    enum class Purpose {
        Read,   // offline: the copy, whatever its age
        Queue,  // offline: the copy, written (a logout's audit row), under the copies' lock
        Login,  // offline: the copy while fresh enough, under the copies' lock; else the reason is thrown
        Change, // offline: refused with the reason
    };

    // `connectionChanged` runs when the panel goes offline or comes back.
    OfflineMode(std::function<void(bool online)> connectionChanged, QObject* parent);
    // Waits for a refresh in progress (it ends within the server's deadline); never throws.
    ~OfflineMode() override;

    // A new DbPath: the previous database's copy is no longer refreshed and the panel is online.
    void Reset(const QString& dbPath);
    // The server's policy as read on the component's thread: keeps the copy refreshed, or removes it.
    void PolicyRead(const manage::Policy& policy);
    bool IsOffline() const { return m_offline; }

    // Runs `work` with the database to use now: the server (DbPath), or offline the copy as `purpose` allows.
    template <typename Work> auto Use(Purpose purpose, Work&& work) -> decltype(work(QString())) {
        if (!m_offline) {
            try {
                return work(m_dbPath);
            } catch (const std::exception& error) {
                if (!TakeOver(error)) {
                    throw;
                }
            }
        }
        const QString copy = copyFor(purpose);
        std::unique_lock<std::mutex> lock;
        if (purpose != Purpose::Read) {
            lock = manage::LockReplicas();
        }
        return work(copy);
    }
    // Whether `error` says the server cannot be reached and the panel works offline from now on (it
    // switched, and told the host).
    bool TakeOver(const std::exception& error);
    // The copy is refreshed soon (after a login, a change), while the policy keeps one.
    void RequestRefresh();

    // For tests only: the time between two tries while offline (0: the real 10 s); waiting until the
    // refreshes asked for are done (false when `ms` ran out).
    static void SetProbeIntervalForTests(int ms);
    bool WaitForRefreshesForTests(int ms);

private:
    void refreshed(quint64 generation, const zav::RefreshReport& report);
    void setOffline(bool offline);
    void schedule();
    void startWorker();
    void stopWorker() noexcept;
    QString copyFor(Purpose purpose);

    std::function<void(bool online)> m_connectionChanged;
    QString m_dbPath;
    bool m_server = false;
    bool m_offline = false;
    bool m_keeping = false; // the server's policy was seen to keep a copy
    int m_syncMinutes = 5;
    std::optional<manage::ReplicaInfo> m_replica; // the copy in use while offline
    QString m_replicaPath;                        // the copy the last refresh kept
    quint64 m_generation = 0;                     // a refresh for an earlier DbPath is not heard
    bool m_busy = false;
    bool m_pending = false;
    QTimer m_timer;
    QThread* m_thread = nullptr;
    ReplicaWorker* m_worker = nullptr;
};

// The component's offline mode (every component has one).
OfflineMode& OfflineOf(const ZAV_Login& component);

} // namespace zav

Q_DECLARE_METATYPE(zav::RefreshReport)
