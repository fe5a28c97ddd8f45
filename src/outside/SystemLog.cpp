#include "outside/SystemLog.h"

#include "outside/OutsideErrors.h"

#include <QDateTime>
#include <QLocale>
#include <QProcess>

#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

#include <cstring>

namespace zav::outside {

namespace {

QByteArray socketPath() {
    const QByteArray chosen = qgetenv("ZAV_SYSTEM_LOG_SOCKET");
    return chosen.isEmpty() ? QByteArrayLiteral("/dev/log") : chosen;
}

// "<PRI>Mmm dd hh:mm:ss ident[pid]: line", as syslog(3) sends it.
QByteArray datagram(const QString& ident, const QString& line) {
    const QString stamp =
        QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("MMM dd HH:mm:ss"));
    return QStringLiteral("<%1>%2 %3[%4]: %5")
        .arg(LOG_AUTH | LOG_NOTICE)
        .arg(stamp, ident)
        .arg(::getpid())
        .arg(line)
        .toUtf8();
}

} // namespace

void WriteSystemLog(const QString& ident, const QString& line) {
    const QByteArray path = socketPath();
    sockaddr_un address{};
    if (path.size() >= qsizetype(sizeof(address.sun_path))) {
        return;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socket < 0) {
        return;
    }
    const QByteArray message = datagram(ident, line);
    // Never waits: a log that cannot take the line now does not hold up a login.
    (void)::sendto(socket, message.constData(), size_t(message.size()), MSG_DONTWAIT | MSG_NOSIGNAL,
                   reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    ::close(socket);
}

QStringList ReadJournalLines(const QString& ident) {
    QProcess journal;
    journal.start(QStringLiteral("journalctl"), {QStringLiteral("--no-pager"), QStringLiteral("--output=cat"),
                                                 QStringLiteral("--identifier=") + ident});
    if (!journal.waitForStarted(5000)) {
        failPathFileAccess(QStringLiteral("journalctl cannot be run here (%1)").arg(journal.errorString()));
    }
    journal.closeWriteChannel();
    if (!journal.waitForFinished(30000) || journal.exitStatus() != QProcess::NormalExit ||
        journal.exitCode() != 0) {
        journal.kill();
        failPathFileAccess(QStringLiteral("journalctl did not read the journal: %1")
                               .arg(QString::fromLocal8Bit(journal.readAllStandardError()).trimmed()));
    }
    return QString::fromUtf8(journal.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace zav::outside
