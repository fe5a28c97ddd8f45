#pragma once

// A stand-in for systemd-logind's manager object on a private bus: it writes down the calls it gets
// ("PowerOff false", "TerminateSession c7") and answers them, from a thread of its own so that a caller
// blocking on the answer in the test's thread gets one.

#include <QDBusConnection>
#include <QMutex>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

namespace zav::test {

class LogindManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    QStringList takeCalls();

public slots:
    void PowerOff(bool interactive);
    void Reboot(bool interactive);
    void Halt(bool interactive);
    void TerminateSession(const QString& sessionId);
    void TerminateUser(uint uid);

private:
    void record(const QString& call);

    QMutex m_mutex;
    QStringList m_calls;
};

// A dbus-daemon of the test's own, with a policy that lets anybody own any name.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Empty when the daemon did not start.
    const QString& address() const { return m_address; }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

// Owns the name org.freedesktop.login1 on the bus at `address` and serves the manager object.
class LogindService {
public:
    explicit LogindService(const QString& address);
    ~LogindService();
    LogindService(const LogindService&) = delete;
    LogindService& operator=(const LogindService&) = delete;

    bool isServing() const { return m_serving; }
    LogindManager& manager() { return *m_manager; }

private:
    QThread m_thread;
    LogindManager* m_manager;
    QDBusConnection m_connection;
    bool m_serving = false;
};

} // namespace zav::test
