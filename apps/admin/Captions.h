#pragma once

// The captions of the rights that a host keeps in the profile file beside the database (DbPath +
// ".INI", section "Description"): "ML", "MO", "SD", "AD" for the fixed rights and "1" to "100" for the
// custom ones. Only the captions the file holds are read; the others show their defaults.

#include <QString>
#include <utility>
#include <vector>

namespace zav::admin {

using Captions = std::vector<std::pair<QString, QString>>; // key, text

bool IsCaptionKey(const QString& key);
Captions ReadCaptions(const QString& dbPath);
// Writes each caption into the profile file of `dbPath` (each write is locked against other writers).
void WriteCaptions(const QString& dbPath, const Captions& captions);

} // namespace zav::admin
