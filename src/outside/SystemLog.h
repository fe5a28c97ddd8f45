#pragma once

// The system log, where copies of what must be provable from outside the database go (the audit
// trail's heads). It is written the way syslog(3) writes, to the log socket, without touching the
// process's own openlog() settings, which belong to the host. ZAV_SYSTEM_LOG_SOCKET names another
// socket (a collector's, or a test's).

#include <QString>
#include <QStringList>

namespace zav::outside {

// One line with the given identifier, facility auth, level notice. Without a log listening nothing is
// sent and nothing fails: the log holds copies, the database the record.
void WriteSystemLog(const QString& ident, const QString& line);

// The lines the journal holds for the identifier, oldest first, read through journalctl within a few
// seconds at most. Fails (path/file access error) when the journal cannot be read.
QStringList ReadJournalLines(const QString& ident);

} // namespace zav::outside
