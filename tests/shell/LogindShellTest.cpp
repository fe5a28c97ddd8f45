// Log-off, shutdown, restart and power-off reach logind's manager on the system bus, which here is a
// private bus with a stand-in for logind.

#include "shell/PlatformShell.h"
#include "shell/ShellServices.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>

namespace zav::shell {
namespace {

constexpr int DaemonStartMs = 10000;
const QString ConnectionName = QStringLiteral("logind-stand-in");
const QString ManagerPath = QStringLiteral("/org/freedesktop/login1");

// Writes down the calls it gets ("PowerOff false", "TerminateSession c7") and answers them, from a
// thread of its own so that a caller blocking on the answer in the test's thread gets one.
class LogindManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    QStringList takeCalls() {
        QMutexLocker lock(&m_mutex);
        return std::exchange(m_calls, {});
    }

public slots:
    void PowerOff(bool interactive) { record(QStringLiteral("PowerOff ") + flag(interactive)); }
    void Reboot(bool interactive) { record(QStringLiteral("Reboot ") + flag(interactive)); }
    void TerminateSession(const QString& sessionId) {
        record(QStringLiteral("TerminateSession ") + sessionId);
    }
    void TerminateUser(uint uid) { record(QStringLiteral("TerminateUser ") + QString::number(uid)); }

private:
    static QString flag(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }
    void record(const QString& call) {
        QMutexLocker lock(&m_mutex);
        m_calls.append(call);
    }

    QMutex m_mutex;
    QStringList m_calls;
};

// A dbus-daemon of the test's own, whose policy lets anybody own any name, and the manager served under
// logind's name on it; address is empty when the daemon did not start.
class LogindStandIn {
public:
    LogindStandIn() {
        // Calls to the object are delivered in the thread it lives in.
        manager->moveToThread(&m_thread);
        QObject::connect(&m_thread, &QThread::finished, manager, &QObject::deleteLater);
        m_thread.start();
        const QString config = m_dir.filePath("bus.conf");
        QFile file(config);
        if (!m_dir.isValid() || !file.open(QIODevice::WriteOnly))
            return;
        file.write(
            QStringLiteral("<busconfig><type>session</type><listen>unix:path=%1</listen>"
                           "<auth>EXTERNAL</auth><policy context=\"default\">"
                           "<allow send_destination=\"*\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                           "</policy></busconfig>")
                .arg(m_dir.filePath("bus"))
                .toUtf8());
        file.close();
        m_daemon.start(
            QStringLiteral("dbus-daemon"),
            {"--config-file=" + config, QStringLiteral("--print-address"), QStringLiteral("--nofork")});
        if (!m_daemon.waitForStarted(DaemonStartMs) || !m_daemon.waitForReadyRead(DaemonStartMs))
            return;
        address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        m_connection = QDBusConnection::connectToBus(address, ConnectionName);
        serving = m_connection.isConnected() &&
                  m_connection.registerObject(ManagerPath, manager, QDBusConnection::ExportAllSlots) &&
                  m_connection.registerService(QStringLiteral("org.freedesktop.login1"));
    }
    ~LogindStandIn() {
        m_connection.unregisterObject(ManagerPath);
        QDBusConnection::disconnectFromBus(ConnectionName);
        m_thread.quit();
        m_thread.wait();
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(DaemonStartMs))
            m_daemon.kill();
        m_daemon.waitForFinished(DaemonStartMs);
    }

    LogindManager* manager = new LogindManager;
    QString address;
    bool serving = false;

private:
    QThread m_thread;
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QDBusConnection m_connection{ConnectionName};
};

class LogindShell : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Whatever happens below, the machine's own bus is never used.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/zav-shell-test");
        static int argc = 1;
        static char name[] = "shell_logind_test";
        static char* argv[] = {name, nullptr};
        s_app = new QCoreApplication(argc, argv);
        s_logind = new LogindStandIn;
        // Before the first use of the system bus, which keeps the address it first found.
        if (!s_logind->address.isEmpty())
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", s_logind->address.toUtf8());
    }
    static void TearDownTestSuite() {
        delete s_logind;
        delete s_app;
    }

    void SetUp() override {
        ASSERT_FALSE(s_logind->address.isEmpty()) << "dbus-daemon did not start";
        ASSERT_TRUE(s_logind->serving) << "the stand-in could not take the logind name";
        s_logind->manager->takeCalls();
    }

    static QStringList callsFor(int option) {
        platform::exitWindows(option);
        return s_logind->manager->takeCalls();
    }

    static inline QCoreApplication* s_app = nullptr;
    static inline LogindStandIn* s_logind = nullptr;
};

TEST_F(LogindShell, ShutdownRestartAndPowerOffAreForcedAndOtherOptionsCallNothing) {
    EXPECT_EQ(callsFor(ExitShutdown), QStringList({"PowerOff false"}));
    EXPECT_EQ(callsFor(ExitRestart), QStringList({"Reboot false"}));
    EXPECT_EQ(callsFor(ExitPowerOff), QStringList({"PowerOff false"}));
    for (int option : {3, 4, 5, 6, 7, 9, -1})
        EXPECT_EQ(callsFor(option), QStringList()) << "option " << option;
}

TEST_F(LogindShell, LogOffEndsTheOwnSessionOrElseTheUser) {
    const QByteArray saved = qgetenv("XDG_SESSION_ID");
    qputenv("XDG_SESSION_ID", "c7");
    EXPECT_EQ(callsFor(ExitLogoff), QStringList({"TerminateSession c7"}));
    qunsetenv("XDG_SESSION_ID");
    EXPECT_EQ(callsFor(ExitLogoff), QStringList({"TerminateUser " + QString::number(getuid())}));
    if (!saved.isEmpty())
        qputenv("XDG_SESSION_ID", saved);
}

} // namespace
} // namespace zav::shell

#include "LogindShellTest.moc"
