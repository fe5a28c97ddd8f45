#include "operations/AuditChain.h"

#include <QCryptographicHash>
#include <QRegularExpression>

namespace zav::manage {

namespace {
void addText(QCryptographicHash& hash, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    hash.addData(QByteArray::number(bytes.size()));
    hash.addData(QByteArrayView(":"));
    hash.addData(bytes);
}

AuditVerdict broken(int rows, int fromSeq, const QString& finding) {
    return AuditVerdict{false, rows, fromSeq, finding};
}
} // namespace

QString AuditSealHash(const AuditSeal& seal) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& text :
         {QStringLiteral("seal"), seal.identity, QString::number(seal.firstSeq), seal.firstPrevious,
          QString::number(seal.rows), QString::number(seal.lastSeq), seal.lastHash}) {
        addText(hash, text);
    }
    return QString::fromLatin1(hash.result().toHex());
}

QString AuditRowHash(const AuditRow& row) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& text : {row.previous, QString::number(row.seq), row.time, row.panel, row.osUser,
                                row.event, row.operatorName, row.level, row.detail}) {
        addText(hash, text);
    }
    return QString::fromLatin1(hash.result().toHex());
}

namespace {

// The rows the newest retention row says it removed: "removed rows A to B, ...".
std::optional<std::pair<int, int>> newestRetention(const std::vector<AuditRow>& rows) {
    static const QRegularExpression removed(QStringLiteral("^removed rows (\\d+) to (\\d+)\\b"));
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (row->event == u"retention") {
            const auto match = removed.match(row->detail);
            if (match.hasMatch()) {
                return std::pair{match.captured(1).toInt(), match.captured(2).toInt()};
            }
        }
    }
    return std::nullopt;
}

std::optional<AuditVerdict> sealFinding(const std::vector<AuditRow>& rows, const AuditSeal& seal,
                                        bool sealRequired) {
    const int count = int(rows.size());
    const int from = rows.empty() ? 1 : rows.front().seq;
    if (!seal.present) {
        if (sealRequired || count > 0) {
            return broken(count, from, QStringLiteral("the trail's seal is missing"));
        }
        return AuditVerdict{true, 0, 0, {}};
    }
    const int sealedRows = seal.lastSeq >= seal.firstSeq ? seal.lastSeq - seal.firstSeq + 1 : 0;
    if (seal.complete && (seal.hash != AuditSealHash(seal) || seal.rows != sealedRows)) {
        return broken(count, from, QStringLiteral("the trail's seal was changed"));
    }
    for (const AuditRow& row : rows) {
        if (row.event == u"seal-missing") {
            return broken(count, 1, QStringLiteral("the trail's seal was gone before row %1").arg(row.seq));
        }
    }
    if (seal.firstSeq > 1) {
        const auto retention = newestRetention(rows);
        if (!retention || retention->second != seal.firstSeq - 1) {
            return broken(count, 1,
                          QStringLiteral("rows 1 to %1 were removed, and no retention row says so")
                              .arg(seal.firstSeq - 1));
        }
    }
    return std::nullopt;
}

} // namespace

AuditVerdict VerifyAuditRows(const std::vector<AuditRow>& rows, const AuditSeal& seal, bool sealRequired) {
    if (const auto finding = sealFinding(rows, seal, sealRequired)) {
        return *finding;
    }
    const int count = int(rows.size());
    if (rows.empty()) {
        if (seal.lastSeq >= seal.firstSeq) {
            return broken(0, seal.firstSeq,
                          QStringLiteral("rows %1 to %2 were removed").arg(seal.firstSeq).arg(seal.lastSeq));
        }
        return AuditVerdict{true, 0, 0, {}};
    }
    const AuditRow& first = rows.front();
    if (first.seq != seal.firstSeq || first.previous != seal.firstPrevious) {
        const int from = std::min(first.seq, seal.firstSeq);
        return broken(
            count, from,
            first.seq > seal.firstSeq
                ? QStringLiteral("rows %1 to %2 were removed").arg(seal.firstSeq).arg(first.seq - 1)
                : QStringLiteral("row %1 does not continue the trail where it starts").arg(first.seq));
    }
    for (int i = 0; i < count; ++i) {
        const AuditRow& row = rows[size_t(i)];
        const bool ownHashHolds = AuditRowHash(row) == row.hash;
        if (i > 0) {
            const AuditRow& before = rows[size_t(i - 1)];
            if (row.seq > before.seq + 1) {
                return broken(
                    count, before.seq + 1,
                    QStringLiteral("rows %1 to %2 were removed").arg(before.seq + 1).arg(row.seq - 1));
            }
            if (row.seq != before.seq + 1) {
                return broken(count, row.seq, QStringLiteral("row %1 is out of order").arg(row.seq));
            }
            if (row.previous != before.hash && ownHashHolds) {
                // This row still seals the previous row as it was: that one was rewritten, hash and all.
                return broken(count, before.seq, QStringLiteral("row %1 was changed").arg(before.seq));
            }
        }
        if (!ownHashHolds) {
            return broken(count, row.seq, QStringLiteral("row %1 was changed").arg(row.seq));
        }
    }
    const AuditRow& last = rows.back();
    if (last.seq != seal.lastSeq || last.hash != seal.lastHash) {
        return broken(
            count, std::min(last.seq, seal.lastSeq) + 1,
            last.seq < seal.lastSeq
                ? QStringLiteral("rows %1 to %2 were removed").arg(last.seq + 1).arg(seal.lastSeq)
                : QStringLiteral("the trail does not end where its seal says (row %1)").arg(seal.lastSeq));
    }
    return AuditVerdict{true, count, 0, {}};
}

QString AuditHeadText(const AuditHead& head) {
    return QStringLiteral("head db=%1 seq=%2 hash=%3").arg(head.identity).arg(head.seq).arg(head.hash);
}

std::optional<AuditHead> ParseAuditHead(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("\\bhead db=([0-9a-f-]*) seq=(\\d{1,9}) hash=([0-9a-f]{64})\\s*$"));
    const auto match = form.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return AuditHead{match.captured(1), match.captured(2).toInt(), match.captured(3)};
}

AuditVerdict CheckAuditAnchors(const std::vector<AuditRow>& rows, AuditVerdict verdict,
                               const AuditAnchors& anchors) {
    if (!verdict.intact) {
        return verdict;
    }
    const int count = int(rows.size());
    const int firstSeq = rows.empty() ? 0 : rows.front().seq;
    for (const AuditHead& head : anchors.heads) {
        const auto row =
            std::find_if(rows.begin(), rows.end(), [&](const AuditRow& r) { return r.seq == head.seq; });
        if (row != rows.end() && row->hash == head.hash) {
            continue;
        }
        if (row == rows.end() && anchors.fromSystemLog && head.seq < firstSeq) {
            continue; // removed by the retention that the chain accounts for
        }
        // A row unlike its head means a rewrite at or before it, so nothing before it holds either.
        const bool cutAtTheEnd = row == rows.end() && head.seq > (rows.empty() ? 0 : rows.back().seq);
        return broken(
            count, cutAtTheEnd ? (rows.empty() ? 1 : rows.back().seq + 1) : std::max(firstSeq, 1),
            row == rows.end()
                ? QStringLiteral("row %1, whose head was kept outside, is not in the trail").arg(head.seq)
                : QStringLiteral("row %1 is not the row whose head was kept outside").arg(head.seq));
    }
    if (anchors.fromSystemLog && !rows.empty()) {
        const AuditRow& last = rows.back();
        const bool logged = std::any_of(anchors.heads.begin(), anchors.heads.end(), [&](const AuditHead& h) {
            return h.seq == last.seq && h.hash == last.hash;
        });
        if (!logged) {
            return broken(count, last.seq,
                          QStringLiteral("the trail's head, row %1, is not in the system log").arg(last.seq));
        }
    }
    return verdict;
}

} // namespace zav::manage
