#pragma once

// How the management operations reach the credential file: every call opens it shared, works and
// closes it again, so no connection outlives an operation.

#include "store/Engine.h"

#include <QString>
#include <memory>

namespace zav::manage {

// Shared, read-only: filling lists and looking rows up.
std::unique_ptr<store::Database> OpenForReading(const QString& dbPath);
// Shared, read/write: every change.
std::unique_ptr<store::Database> OpenForWriting(const QString& dbPath);

} // namespace zav::manage
