// audit [--json] [--since TIME] [--until TIME] and audit --verify.

#include "AdminError.h"
#include "Commands.h"

#include "operations/CredentialDatabase.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace zav::admin {

namespace {

// ISO 8601; without a zone the time is UTC, as the trail's; a date alone is its midnight.
QDateTime parsedTime(const QString& option, const QString& text) {
    static const QRegularExpression dateOnly(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    QDateTime time;
    if (dateOnly.match(text).hasMatch()) {
        time = QDateTime(QDate::fromString(text, Qt::ISODate), QTime(0, 0), Qt::UTC);
    } else {
        time = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (time.isValid() && time.timeSpec() == Qt::LocalTime) {
            time.setTimeSpec(Qt::UTC);
        }
    }
    if (!time.isValid()) {
        throw UsageError(
            QStringLiteral("%1 needs a time such as 2026-12-07 or 2026-12-07T08:30:00Z, not '%2'")
                .arg(option, text));
    }
    return time;
}

QJsonObject rowObject(const manage::AuditRow& row) {
    return QJsonObject{{QStringLiteral("seq"), row.seq},     {QStringLiteral("time"), row.time},
                       {QStringLiteral("panel"), row.panel}, {QStringLiteral("osUser"), row.osUser},
                       {QStringLiteral("event"), row.event}, {QStringLiteral("operator"), row.operatorName},
                       {QStringLiteral("level"), row.level}, {QStringLiteral("detail"), row.detail},
                       {QStringLiteral("hash"), row.hash}};
}

void verify(const Invocation& invocation, QTextStream& out) {
    if (invocation.since || invocation.until) {
        throw UsageError(QStringLiteral("--verify checks the whole trail: it takes no --since or --until"));
    }
    const manage::AuditVerdict verdict = manage::VerifyAuditTrail(*invocation.dbPath);
    if (invocation.json) {
        QJsonObject object{{QStringLiteral("intact"), verdict.intact},
                           {QStringLiteral("rows"), verdict.rows}};
        if (!verdict.intact) {
            object.insert(QStringLiteral("fromRow"), verdict.fromSeq);
            object.insert(QStringLiteral("finding"), verdict.finding);
        }
        out << QJsonDocument(object).toJson(QJsonDocument::Indented);
    } else if (verdict.intact) {
        out << "intact: " << verdict.rows << " rows\n";
    } else {
        out << "NOT intact: " << verdict.finding << "; the trail cannot be trusted from row "
            << verdict.fromSeq << " on\n";
    }
    if (!verdict.intact) {
        throw FindingsReported{};
    }
}

} // namespace

void RunAudit(const Invocation& invocation, QTextStream& out) {
    if (invocation.verify) {
        verify(invocation, out);
        return;
    }
    const QDateTime since =
        invocation.since ? parsedTime(QStringLiteral("--since"), *invocation.since) : QDateTime();
    const QDateTime until =
        invocation.until ? parsedTime(QStringLiteral("--until"), *invocation.until) : QDateTime();
    const auto rows = manage::ReadAuditRows(*invocation.dbPath, since, until);
    if (invocation.json) {
        QJsonArray array;
        for (const auto& row : rows) {
            array.append(rowObject(row));
        }
        out << QJsonDocument(array).toJson(QJsonDocument::Indented);
        return;
    }
    for (const auto& row : rows) {
        out << row.seq << ' ' << row.time << ' ' << row.panel << ' ' << row.osUser << ' ' << row.event
            << " operator=" << '"' << row.operatorName << "\" level=\"" << row.level << '"';
        if (!row.detail.isEmpty()) {
            out << ' ' << row.detail;
        }
        out << '\n';
    }
}

} // namespace zav::admin
