// audit [--json] [--since TIME] [--until TIME] [--signatures], audit --pdf FILE, audit --verify
// [anchors] and audit --head.

#include "AdminError.h"
#include "AuditReport.h"
#include "Commands.h"

#include "operations/CredentialDatabase.h"
#include "outside/SystemLog.h"

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

manage::AuditHead anchorFrom(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,9}):([0-9a-fA-F]{64})$"));
    const auto match = form.match(text.trimmed());
    if (!match.hasMatch()) {
        throw UsageError(
            QStringLiteral("--anchor needs SEQ:HASH (a row number and its 64-digit hash), not '%1'")
                .arg(text));
    }
    return manage::AuditHead{QString(), match.captured(1).toInt(), match.captured(2).toLower()};
}

// The heads the system log kept for this database (its identity picks them out of every database's).
std::vector<manage::AuditHead> journalHeads(const QString& dbPath) {
    std::vector<manage::AuditHead> heads;
    const auto own = manage::ReadAuditHead(dbPath);
    for (const QString& line : outside::ReadJournalLines(QStringLiteral("zav-audit"))) {
        const auto head = manage::ParseAuditHead(line);
        if (head && own && head->identity == own->identity) {
            heads.push_back(*head);
        }
    }
    return heads;
}

// The database as a report may name it: a server address without its password, and no "pwd=" or
// "key=" part of a connect text.
QString shownDatabase(const QString& dbPath) {
    static const QRegularExpression secret(QStringLiteral("(^|;)\\s*(pwd|key)\\s*=[^;]*"),
                                           QRegularExpression::CaseInsensitiveOption);
    return manage::ShownDatabasePath(dbPath).replace(secret, QString());
}

// Which rows a report holds, in words.
QString selectionText(const Invocation& invocation) {
    QString text = invocation.signatures ? QStringLiteral("signature rows") : QStringLiteral("rows");
    text += invocation.since ? QStringLiteral(" from %1").arg(*invocation.since) : QString();
    text += invocation.until ? QStringLiteral(" up to %1").arg(*invocation.until) : QString();
    return invocation.since || invocation.until ? text : QStringLiteral("all ") + text;
}

void writeReport(const Invocation& invocation, std::vector<manage::AuditRow> rows) {
    if (invocation.json) {
        throw UsageError(QStringLiteral("--pdf writes a report: it takes no --json"));
    }
    const QDateTime now = QDateTime::currentDateTime();
    const AuditReport report{shownDatabase(*invocation.dbPath), now.toOffsetFromUtc(now.offsetFromUtc()),
                             selectionText(invocation), manage::VerifyAuditTrail(*invocation.dbPath),
                             std::move(rows)};
    WriteOwnerOnlyFile(*invocation.pdf, AuditReportPdf(report));
    if (!report.verdict.intact) {
        throw FindingsReported{};
    }
}

void verify(const Invocation& invocation, QTextStream& out) {
    if (invocation.since || invocation.until || invocation.head || invocation.pdf || invocation.signatures) {
        throw UsageError(QStringLiteral(
            "--verify checks the whole trail: it takes no --since, --until, --head, --pdf or --signatures"));
    }
    manage::AuditAnchors anchors;
    for (const QString& text : invocation.anchors) {
        anchors.heads.push_back(anchorFrom(text));
    }
    if (invocation.anchorsFromJournal) {
        const auto logged = journalHeads(*invocation.dbPath);
        anchors.heads.insert(anchors.heads.end(), logged.begin(), logged.end());
        anchors.fromSystemLog = true;
    }
    const manage::AuditVerdict verdict = manage::VerifyAuditTrail(*invocation.dbPath, anchors);
    if (invocation.json) {
        QJsonObject object{{QStringLiteral("intact"), verdict.intact},
                           {QStringLiteral("rows"), verdict.rows}};
        if (!verdict.intact) {
            object.insert(QStringLiteral("fromRow"), verdict.fromSeq);
            object.insert(QStringLiteral("finding"), verdict.finding);
        }
        out << QJsonDocument(object).toJson(QJsonDocument::Indented);
    } else {
        out << VerdictText(verdict) << '\n';
    }
    if (!verdict.intact) {
        throw FindingsReported{};
    }
}

void printHead(const Invocation& invocation, QTextStream& out) {
    if (invocation.since || invocation.until || invocation.pdf || invocation.signatures) {
        throw UsageError(QStringLiteral("--head takes no --since, --until, --pdf or --signatures"));
    }
    const auto head = manage::ReadAuditHead(*invocation.dbPath);
    if (invocation.json) {
        QJsonObject object;
        if (head) {
            object = QJsonObject{{QStringLiteral("identity"), head->identity},
                                 {QStringLiteral("seq"), head->seq},
                                 {QStringLiteral("hash"), head->hash}};
        }
        out << QJsonDocument(object).toJson(QJsonDocument::Indented);
    } else if (head) {
        out << manage::AuditHeadText(*head) << '\n';
    } else {
        out << "no row yet\n";
    }
}

} // namespace

void RunAudit(const Invocation& invocation, QTextStream& out) {
    if (!invocation.verify && (!invocation.anchors.isEmpty() || invocation.anchorsFromJournal)) {
        throw UsageError(QStringLiteral("--anchor and --anchors-from-journal go with --verify"));
    }
    if (invocation.verify) {
        verify(invocation, out);
        return;
    }
    if (invocation.head) {
        printHead(invocation, out);
        return;
    }
    const QDateTime since =
        invocation.since ? parsedTime(QStringLiteral("--since"), *invocation.since) : QDateTime();
    const QDateTime until =
        invocation.until ? parsedTime(QStringLiteral("--until"), *invocation.until) : QDateTime();
    auto rows = manage::ReadAuditRows(*invocation.dbPath, since, until);
    if (invocation.signatures) {
        std::erase_if(rows, [](const manage::AuditRow& row) { return row.event != SignatureEvent; });
    }
    if (invocation.pdf) {
        out.flush();
        writeReport(invocation, std::move(rows));
        return;
    }
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
