#pragma once

// How the management operations reach the credential file: every call opens it shared, works and
// closes it again, so no connection outlives an operation.

#include "store/Engine.h"

#include <QString>
#include <functional>
#include <memory>

namespace zav::manage {

// Shared, read-only: filling lists and looking rows up.
std::unique_ptr<store::Database> OpenForReading(const QString& dbPath);
// Shared, read/write: every change.
std::unique_ptr<store::Database> OpenForWriting(const QString& dbPath);

// Runs the query `sql` with `parameters` bound to its "?" places on a shared read-only open and calls
// `visit` with each row in order. Every row is read before the first visit, so no read holds the file
// while the visits run; what was visited before a failure stays visited.
void ForEachRow(const QString& dbPath, const QString& sql, const QVariantList& parameters,
                const std::function<void(const store::Recordset& row)>& visit);

// Runs the query as ForEachRow does and hands its first row to `read` (when given); false, reading
// nothing, when the query finds no row.
bool ReadFirstRow(const QString& dbPath, const QString& sql, const QVariantList& parameters,
                  const std::function<void(const store::Recordset& row)>& read);

} // namespace zav::manage
