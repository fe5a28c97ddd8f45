#pragma once

// The chain that makes the audit trail tamper-evident: every row carries the hash of the row before it
// and a SHA-256 hash over its own texts and that previous hash. Changing a row breaks its own hash;
// removing one breaks the link of the row after it; removing rows at either end no longer matches the
// seal that every append rewrites. Whoever can recompute every hash and the seal can forge a trail
// that verifies on its own: the heads every append also sends to the system log show that.

#include <QString>
#include <optional>
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

// Where the trail must start and end: the first row's Seq and Previous, the number of rows, the last
// row's Seq and Hash, and the database's identity that its heads name. Its own hash covers all of it
// and the head, so a seal moved to fit a cut trail needs the chain's hashes recomputed too, which the
// heads kept outside the database show. A seal of an older version has no count, identity or hash.
struct AuditSeal {
    bool present = false; // no seal at all: the trail never began, or it was removed
    bool complete = false;
    QString identity;
    int firstSeq = 1;
    QString firstPrevious;
    int rows = 0;
    int lastSeq = 0; // 0: no row written yet
    QString lastHash;
    QString hash;
};

QString AuditSealHash(const AuditSeal& seal);

struct AuditVerdict {
    bool intact = true;
    int rows = 0;
    int fromSeq = 0; // the first row (Seq) from which the trail cannot be trusted; 0 when intact
    QString finding; // in words, empty when intact
};

// Checks the rows (in the order read, which must be Seq order) against each other and the seal. The
// seal must be there while the audit is on or the trail's tables exist (`sealRequired`); rows missing
// at the start must be exactly those the newest retention row says it removed.
AuditVerdict VerifyAuditRows(const std::vector<AuditRow>& rows, const AuditSeal& seal, bool sealRequired);

// A head as the system log keeps it: which database, which row, its hash.
struct AuditHead {
    QString identity;
    int seq = 0;
    QString hash;
};
QString AuditHeadText(const AuditHead& head);
std::optional<AuditHead> ParseAuditHead(const QString& text);

// Heads taken from outside the database that the trail must hold exactly.
struct AuditAnchors {
    std::vector<AuditHead> heads; // their identities are not compared: the caller chose them
    // Heads of rows a retention removed are passed over, and the trail's own head must be among them:
    // the system log holds every head, so a head it does not hold was written by someone else.
    bool fromSystemLog = false;
};
// `verdict` is the chain's; an intact chain fails here when an anchor does not match.
AuditVerdict CheckAuditAnchors(const std::vector<AuditRow>& rows, AuditVerdict verdict,
                               const AuditAnchors& anchors);

} // namespace zav::manage
