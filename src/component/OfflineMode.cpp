#include "component/OfflineMode.h"

#include "base/ReportedErrors.h"
#include "component/ReplicaWorker.h"
#include "language/OfflineTexts.h"
#include "operations/Clock.h"
#include "operations/DatabaseAddress.h"
#include "operations/OperationErrors.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <atomic>

namespace zav {

namespace {
constexpr int ProbeIntervalMs = 10'000;
std::atomic<int> g_probeIntervalForTests = 0;
// A refresh in progress ends within the server's deadline (3 s unless the URI sets connect_timeout) and
// the write of a file; the component's release waits that long at most.
constexpr int LongestWaitForRefreshMs = 8'000;
} // namespace

void ReplicaWorker::Refresh(const QString& dbPath, quint64 generation) noexcept {
    RefreshReport report;
    try {
        const manage::ReplicaRefresh refresh = manage::RefreshReplica(dbPath);
        report.kept = refresh.path.has_value();
        report.path = refresh.path.value_or(QString());
        report.syncMinutes = refresh.policy.offlineSyncMinutes;
        if (refresh.sentRows > 0 || refresh.sentFailures > 0) {
            qInfo("ZAV_Login: the server took %d audit rows and %d failed logins recorded offline",
                  refresh.sentRows, refresh.sentFailures);
        }
    } catch (const AutomationError& error) {
        report.errorNumber = error.Number();
        report.error = error.Description();
    } catch (const std::exception& error) {
        report.errorNumber = -1;
        report.error = QString::fromLocal8Bit(error.what());
    } catch (...) {
        report.errorNumber = -1;
    }
    Q_EMIT refreshed(generation, report);
}

OfflineMode::OfflineMode(std::function<void(bool online)> connectionChanged, QObject* parent)
    : QObject(parent), m_connectionChanged(std::move(connectionChanged)) {
    qRegisterMetaType<zav::RefreshReport>();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &OfflineMode::RequestRefresh);
}

OfflineMode::~OfflineMode() {
    stopWorker();
}

void OfflineMode::Reset(const QString& dbPath) {
    ++m_generation;
    m_timer.stop();
    m_busy = m_pending = false;
    m_keeping = false;
    m_replica.reset();
    m_replicaPath.clear();
    m_dbPath = dbPath;
    m_server = manage::IsServerDatabase(dbPath);
    setOffline(false);
}

void OfflineMode::PolicyRead(const manage::Policy& policy) {
    if (!m_server || m_offline) {
        return;
    }
    m_syncMinutes = policy.offlineSyncMinutes;
    if (policy.offlineLoginDays > 0) {
        // The first time: the copy is made (later, a login or a change refreshes it).
        if (!std::exchange(m_keeping, true)) {
            RequestRefresh();
        }
        return;
    }
    const bool wasKeeping = m_keeping;
    m_keeping = false;
    m_timer.stop();
    // Turned off: the copies of this address go (local files only; with none there nothing is written).
    if (wasKeeping || !m_replicaPath.isEmpty() || manage::FindReplica(m_dbPath)) {
        manage::RemoveReplicas(m_dbPath);
        m_replicaPath.clear();
    }
}

bool OfflineMode::TakeOver(const std::exception& error) {
    const auto* failure = dynamic_cast<const AutomationError*>(&error);
    if (!m_server || m_offline || !failure || failure->Number() != manage::ErrDiskOrNetwork) {
        return false;
    }
    m_replica = m_replicaPath.isEmpty() ? manage::FindReplica(m_dbPath)
                                        : manage::ReadReplicaAt(m_replicaPath, m_dbPath);
    if (!m_keeping && !m_replica) {
        return false; // this panel never kept a copy of this database: it fails as it always has
    }
    qWarning("ZAV_Login: the server cannot be reached (%s); the panel works offline%s", error.what(),
             m_replica ? "" : " without a copy of its logins");
    setOffline(true);
    return true;
}

QString OfflineMode::copyFor(Purpose purpose) {
    if (purpose == Purpose::Change) {
        throw manage::DbError(manage::ErrDiskOrNetwork, language::OfflineChangeRefused());
    }
    if (!m_replica) {
        throw manage::DbError(manage::ErrDiskOrNetwork, language::OfflineNoCopy());
    }
    if (purpose == Purpose::Login && !manage::ReplicaFresh(*m_replica, manage::NowUtc())) {
        throw manage::DbError(
            manage::ErrDiskOrNetwork,
            language::OfflineCopyTooOld(m_replica->refreshed, m_replica->policy.offlineLoginDays));
    }
    return m_replica->path;
}

void OfflineMode::setOffline(bool offline) {
    if (offline == m_offline) {
        return;
    }
    m_offline = offline;
    if (!offline) {
        m_replica.reset();
    }
    schedule();
    if (m_connectionChanged) {
        m_connectionChanged(!offline);
    }
}

void OfflineMode::schedule() {
    if (m_offline) {
        const int probe = g_probeIntervalForTests.load();
        m_timer.start(probe > 0 ? probe : ProbeIntervalMs);
    } else if (m_keeping && m_syncMinutes > 0) {
        m_timer.start(std::chrono::minutes(m_syncMinutes));
    } else {
        m_timer.stop();
    }
}

void OfflineMode::RequestRefresh() {
    if (!m_server || (!m_keeping && !m_offline)) {
        return;
    }
    if (m_busy) {
        m_pending = true;
        return;
    }
    startWorker();
    m_busy = true;
    m_pending = false;
    QMetaObject::invokeMethod(
        m_worker,
        [worker = m_worker, dbPath = m_dbPath, generation = m_generation] {
            worker->Refresh(dbPath, generation);
        },
        Qt::QueuedConnection);
}

void OfflineMode::refreshed(quint64 generation, const RefreshReport& report) {
    if (generation != m_generation) {
        return;
    }
    m_busy = false;
    if (report.errorNumber == 0) {
        m_keeping = report.kept;
        m_replicaPath = report.path;
        m_syncMinutes = report.syncMinutes;
        setOffline(false);
    } else if (report.errorNumber == manage::ErrDiskOrNetwork) {
        if (!m_offline) {
            TakeOver(AutomationError(report.errorNumber, report.error));
        }
    } else {
        // The server answered, if only to refuse: whatever it refuses, the panel hears from it online.
        qWarning("ZAV_Login: the local copy of the logins could not be refreshed: %s (error %d)",
                 qPrintable(report.error), report.errorNumber);
        setOffline(false);
    }
    schedule();
    if (m_pending) {
        RequestRefresh();
    }
}

void OfflineMode::startWorker() {
    if (m_thread) {
        return;
    }
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("ZAV_Login copy"));
    m_worker = new ReplicaWorker;
    m_worker->moveToThread(m_thread);
    connect(m_worker, &ReplicaWorker::refreshed, this, &OfflineMode::refreshed, Qt::QueuedConnection);
    m_thread->start(QThread::LowPriority);
}

void OfflineMode::stopWorker() noexcept {
    if (!m_thread) {
        return;
    }
    ++m_generation;
    m_thread->quit();
    if (m_thread->wait(QDeadlineTimer(LongestWaitForRefreshMs))) {
        delete m_worker;
        delete m_thread;
    } else {
        // Still waiting for a server past every deadline: it goes once its refresh ends.
        qWarning("ZAV_Login: a refresh of the local copy is still running; it is left to end on its own");
        disconnect(m_worker, nullptr, this, nullptr);
        connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
        connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    }
    m_worker = nullptr;
    m_thread = nullptr;
}

void OfflineMode::SetProbeIntervalForTests(int ms) {
    g_probeIntervalForTests.store(ms);
}

bool OfflineMode::WaitForRefreshesForTests(int ms) {
    const QDeadlineTimer deadline(ms);
    while (m_busy || m_pending) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

OfflineMode& OfflineOf(const ZAV_Login& component) {
    auto* mode = component.findChild<OfflineMode*>(QString(), Qt::FindDirectChildrenOnly);
    if (!mode) {
        throw ObjectNotSetError();
    }
    return *mode;
}

} // namespace zav
