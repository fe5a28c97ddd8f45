#pragma once

// A panel's local copy of a server database's logins, for the hours the server cannot be reached. Kept
// only while the server's policy sets offline-login-days above 0; with 0 nothing here writes a file.
//
// The copy is a credential database file like any other, so the credential check, the lockout counting
// and the audit trail run on it unchanged: the levels, the operators with their passwords as the server
// stores them, the policy (less the audit retention: the server's trail keeps its own), the badges'
// HMACs (so badges open from it under the panel's key), the failed logins and the captions of the rights
// (its Profile table). Two tables are its own: ReplicaMeta (what it is a copy of, when it was
// refreshed, the id of its queue) and OfflineFailures, where triggers on Lockout
// note each failed login the copy counts. The audit rows written into the copy and those noted failures
// are its queue: what it sends the server once it can be reached, each with an id the server takes only
// once (`<queue>:row:<seq>`, `<queue>:failure:<seq>`), so a queue sent twice adds nothing the second time.
//
// The copies live in the user's state folder, $XDG_STATE_HOME/ZAV_PrjLogin (else
// ~/.local/state/ZAV_PrjLogin), made 0700: one owner-only file per server database, named for the server's
// system identifier and the database's name. A copy serves only the address it was made from (the URI's
// user, host, port and database) and is written anew into a temporary owner-only file renamed into place.

#include "operations/Policy.h"

#include <QDateTime>
#include <QString>
#include <mutex>
#include <optional>

namespace zav::manage {

// Which server database a copy holds: the server's system identifier (pg_control_system) and the
// database's name.
struct ServerIdentity {
    QString system;
    QString database;
    bool operator==(const ServerIdentity&) const = default;
};

QString ReplicaFolder();
QString ReplicaPathFor(const ServerIdentity& identity);

// What a copy says of itself.
struct ReplicaInfo {
    QString path;
    ServerIdentity identity;
    QString address;     // as pg::describeServer names the server database it was made from
    QDateTime refreshed; // UTC
    Policy policy;       // the server's, as copied
};

// The copy made from `dbPath`'s address, if the folder holds one whose name and content agree: read
// shared and read-only, nothing is made. The one refreshed last when there are several.
std::optional<ReplicaInfo> FindReplica(const QString& dbPath);
// The copy at `replicaPath`, if it is one of `dbPath`'s.
std::optional<ReplicaInfo> ReadReplicaAt(const QString& replicaPath, const QString& dbPath);
// Whether the copy may still log in at `now`: refreshed within its policy's offline-login-days.
bool ReplicaFresh(const ReplicaInfo& replica, const QDateTime& now);

// What a refresh did.
struct ReplicaRefresh {
    Policy policy;               // the server's
    std::optional<QString> path; // the copy kept; none while offline-login-days is 0
    bool rewritten = false;      // written anew (else only its refresh time changed)
    int sentRows = 0;            // queued audit rows and failed logins the server took now
    int sentFailures = 0;
};

// Off the GUI thread: reads the server's identity and policy; with offline-login-days 0 removes every
// copy of `dbPath`'s address and keeps none. Otherwise sends the copy's queue (SendReplicaQueue), removes
// copies of the address that name another server, and writes the copy anew; when nothing changed and
// nothing was queued, only its refresh time. Throws what the server throws (3043 when it cannot be
// reached) and then changes no copy.
ReplicaRefresh RefreshReplica(const QString& dbPath);

struct SentQueue {
    int rows = 0;     // new to the server
    int failures = 0; // new to the server
    int lastRow = 0;  // the queue's last Seq sent (0: none queued)
    int lastFailure = 0;
};
// Sends every queued audit row (while the server audits) and failed login of the copy to the server in
// one transaction; the copy is not changed. What the server took before is passed over there.
SentQueue SendReplicaQueue(const QString& dbPath, const QString& replicaPath);

// Removes every copy of `dbPath`'s address.
void RemoveReplicas(const QString& dbPath);

// The writes a panel makes to a copy while offline and the replacement of a copy exclude one another
// within the process, so that nothing queued is replaced before it was sent.
std::unique_lock<std::mutex> LockReplicas();

// A caption of the rights as the copy holds it (the server's Profile table), else `defaultText`.
QString ReadReplicaCaption(const QString& replicaPath, const QString& key, const QString& defaultText);

} // namespace zav::manage
