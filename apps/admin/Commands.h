#pragma once

// The subcommands of zav-admin. Each gets the checked command line (the database path is present, the
// number of arguments is right, only its own options were given) and writes its results to `out`.
// Failures throw AutomationError or UsageError; every check comes before the first change.

#include "CommandLine.h"
#include "operations/CredentialDatabase.h"

#include <QTextStream>
#include <vector>

namespace zav::admin {

// Throws UsageError naming `what` when no database was given.
void RequireDatabase(const Invocation& invocation, const QString& what);

void RunInit(const Invocation& invocation, QTextStream& out);
void RunLevels(const Invocation& invocation, QTextStream& out);
void RunOperators(const Invocation& invocation, QTextStream& out);
void RunAddLevel(const Invocation& invocation, QTextStream& out);
void RunRemoveLevel(const Invocation& invocation, QTextStream& out);
void RunSetRights(const Invocation& invocation, QTextStream& out);
void RunAddOperator(const Invocation& invocation, QTextStream& out);
void RunRemoveOperator(const Invocation& invocation, QTextStream& out);
void RunMoveOperator(const Invocation& invocation, QTextStream& out);
void RunPasswd(const Invocation& invocation, QTextStream& out);
void RunExport(const Invocation& invocation, QTextStream& out);
void RunImport(const Invocation& invocation, QTextStream& out);
void RunUnlock(const Invocation& invocation, QTextStream& out);
// badge init-key | badge set NAME | badge remove NAME.
void RunBadge(const Invocation& invocation, QTextStream& out);
void RunPolicy(const Invocation& invocation, QTextStream& out);
// Throws FindingsReported after listing what it found.
void RunCheck(const Invocation& invocation, QTextStream& out);
// Each finding as check prints it: the problem, then "  fix: " and the command that fixes it on `dbPath`.
void PrintFindings(const std::vector<manage::SafetyFinding>& findings, const QString& dbPath,
                   QTextStream& out);
// Writes `bytes` to `path` whole or not at all, readable by its owner only (an export holds the
// passwords, a report the trail); "-" is standard output.
void WriteOwnerOnlyFile(const QString& path, const QByteArray& bytes);
// Lists the trail, or (--verify) checks it and throws FindingsReported when it is not intact.
void RunAudit(const Invocation& invocation, QTextStream& out);

} // namespace zav::admin
