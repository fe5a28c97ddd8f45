#pragma once

// The chain that makes the audit trail tamper-evident: every row carries the hash of the row before it
// and a SHA-256 hash over its own texts and that previous hash. Changing a row breaks its own hash;
// removing one breaks the link of the row after it; removing rows at either end no longer matches the
// seal that every append rewrites. Whoever can recompute every hash and the seal can forge a trail:
// the chain shows edits, it does not prevent them.

#include <QString>
#include <vector>

namespace zav::manage {

struct AuditRow {
    int seq = 0;
    QString time; // UTC, ISO 8601 with milliseconds and "Z"
    QString panel;
    QString osUser;
    QString event;
    QString operatorName;
    QString level;
    QString detail;
    QString previous; // the hash of the row before ("" before the first row ever written)
    QString hash;
};

// Hex SHA-256 over the row's texts (each length-prefixed, so no two rows read alike) and `previous`.
QString AuditRowHash(const AuditRow& row);

// Where the trail must start and end: the first row's Seq and Previous, the last row's Seq and Hash.
struct AuditSeal {
    int firstSeq = 1;
    QString firstPrevious;
    int lastSeq = 0; // 0: no row written yet
    QString lastHash;
};

struct AuditVerdict {
    bool intact = true;
    int rows = 0;
    int fromSeq = 0; // the first row (Seq) from which the trail cannot be trusted; 0 when intact
    QString finding; // in words, empty when intact
};

// Checks the rows (in the order read, which must be Seq order) against each other and the seal.
AuditVerdict VerifyAuditRows(const std::vector<AuditRow>& rows, const AuditSeal& seal);

} // namespace zav::manage
