#pragma once

// The audit trail as a printable A4 report: on every page the database, the time of printing and
// "page x of y"; on the first the result of checking the chain; then the rows as a table, each row
// whole on one page, the signature rows shaded.

#include "operations/CredentialDatabase.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <vector>

namespace zav::admin {

struct AuditReport {
    QString database;  // as it may be shown: never a password
    QDateTime printed; // local time, shown with its offset
    QString selection; // which rows, in words ("all rows", "signature rows from ...")
    manage::AuditVerdict verdict;
    std::vector<manage::AuditRow> rows;
};

// The event of a signature row.
inline const QString SignatureEvent = QStringLiteral("signature");

// What checking the chain found: "intact: N rows", or the break and from which row on.
QString VerdictText(const manage::AuditVerdict& verdict);

// The report as PDF bytes. Needs a QGuiApplication (the offscreen platform will do).
QByteArray AuditReportPdf(const AuditReport& report);

} // namespace zav::admin
