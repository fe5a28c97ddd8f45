#include "LogindStandIn.h"

#include <QFile>
#include <QMutexLocker>

namespace zav::test {

namespace {

constexpr int DaemonStartMs = 10000;
const QString ConnectionName = QStringLiteral("logind-stand-in");

QString flag(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

QStringList LogindManager::takeCalls() {
    QMutexLocker lock(&m_mutex);
    return std::exchange(m_calls, {});
}

void LogindManager::PowerOff(bool interactive) {
    record("PowerOff " + flag(interactive));
}

void LogindManager::Reboot(bool interactive) {
    record("Reboot " + flag(interactive));
}

void LogindManager::Halt(bool interactive) {
    record("Halt " + flag(interactive));
}

void LogindManager::TerminateSession(const QString& sessionId) {
    record("TerminateSession " + sessionId);
}

void LogindManager::TerminateUser(uint uid) {
    record("TerminateUser " + QString::number(uid));
}

void LogindManager::record(const QString& call) {
    QMutexLocker lock(&m_mutex);
    m_calls.append(call);
}

PrivateBus::PrivateBus() {
    if (!m_dir.isValid())
        return;
    const QString config = m_dir.filePath("bus.conf");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(
        QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
            .arg(m_dir.filePath("bus"))
            .toUtf8());
    file.close();

    m_daemon.start(
        QStringLiteral("dbus-daemon"),
        {"--config-file=" + config, QStringLiteral("--print-address"), QStringLiteral("--nofork")});
    if (m_daemon.waitForStarted(DaemonStartMs) && m_daemon.waitForReadyRead(DaemonStartMs))
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateBus::~PrivateBus() {
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(DaemonStartMs))
        m_daemon.kill();
    m_daemon.waitForFinished(DaemonStartMs);
}

LogindService::LogindService(const QString& address)
    : m_manager(new LogindManager), m_connection(QDBusConnection::connectToBus(address, ConnectionName)) {
    // Calls to the object are delivered in the thread it lives in.
    m_manager->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_manager, &QObject::deleteLater);
    m_thread.start();
    m_serving = m_connection.isConnected() &&
                m_connection.registerObject(QStringLiteral("/org/freedesktop/login1"), m_manager,
                                            QDBusConnection::ExportAllSlots) &&
                m_connection.registerService(QStringLiteral("org.freedesktop.login1"));
}

LogindService::~LogindService() {
    m_connection.unregisterObject(QStringLiteral("/org/freedesktop/login1"));
    QDBusConnection::disconnectFromBus(ConnectionName);
    m_thread.quit();
    m_thread.wait();
}

} // namespace zav::test
