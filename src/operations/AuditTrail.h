#pragma once

// The audit trail in the credential database, kept while the policy's "audit" is on: one chained row
// per login, logout, password change, lockout, unlock, management change and policy change
// (operations/AuditChain.h). A row is written inside the transaction of the change it records, so a
// row that cannot be written fails that change. With the audit off nothing here writes, and a file
// that never had the audit on has no trail tables at all.

#include "operations/AuditChain.h"
#include "operations/Policy.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace zav::store {
class Database;
}

namespace zav::manage {

// Who a row names: the operator and level logging in or out, or, for a change, whoever is logged in
// on the panel that makes it (nobody for a program without a component).
struct AuditSubject {
    QString operatorName;
    QString level;
};

struct AuditEvent {
    QString event;  // a stable word: "login", "login-failed", "logout", "level-added", ...
    QString detail; // short, in English; never a password
    std::optional<AuditSubject> subject; // unset: the actor source's answer
};

// The component tells the operations who is logged in on this thread's panel; unset, changes name
// nobody. Kept per thread, as the component is.
void SetAuditActorSource(std::function<AuditSubject()> source);

// One write transaction of its own, for events that change nothing else (a login, a logout), when
// `policy` audits; otherwise nothing is opened.
void RecordAuditEvent(const QString& dbPath, const Policy& policy, const AuditEvent& event);
// Several events in one write transaction, in order (a host's own events recorded in bulk).
void RecordAuditEvents(const QString& dbPath, const Policy& policy, const std::vector<AuditEvent>& events);

// The rows with since <= Time <= until (invalid bounds: open), in order.
std::vector<AuditRow> ReadAuditRows(const QString& dbPath, const QDateTime& since = {},
                                    const QDateTime& until = {});
// Reads the whole trail and its seal and checks the chain, and that it holds the heads kept outside.
AuditVerdict VerifyAuditTrail(const QString& dbPath, const AuditAnchors& anchors = {});
// The trail's head as every append sends it to the system log; nothing before the first row.
std::optional<AuditHead> ReadAuditHead(const QString& dbPath);

// Makes the trail's tables, empty, where they are missing (inside the caller's write).
void EnsureAuditTables(store::Database& db);

// The name rows give this panel: its host name.
const QString& AuditPanelName();

// The time text rows carry.
QString AuditTimeText(const QDateTime& utc);

} // namespace zav::manage
