#include "operations/AuditChain.h"

#include <QCryptographicHash>

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

QString AuditRowHash(const AuditRow& row) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& text : {row.previous, QString::number(row.seq), row.time, row.panel, row.osUser,
                                row.event, row.operatorName, row.level, row.detail}) {
        addText(hash, text);
    }
    return QString::fromLatin1(hash.result().toHex());
}

AuditVerdict VerifyAuditRows(const std::vector<AuditRow>& rows, const AuditSeal& seal) {
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

} // namespace zav::manage
