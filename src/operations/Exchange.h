#pragma once

// Whole databases at once: every level and operator as stored (what listings show, what an export
// writes), restoring such a copy into a new database, merging it into an existing one, and the
// captions of the rights that a host keeps in the profile beside the database (a server database's
// Profile table).

#include "operations/Badges.h"
#include "operations/PasswordAges.h"
#include "operations/Policy.h"

#include <ZAV_PrjLogin/Class_Level.h>

#include <QString>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace zav::manage {

// The captions of the rights in the profile file beside the database (DbPath + ".INI", section
// "Description"): "ML", "MO", "SD", "AD" for the fixed rights and "1" to "100" for the custom ones.
using Captions = std::vector<std::pair<QString, QString>>; // key, text

struct LevelEntry {
    // ID, DBLevelName (as stored), LevelName (as shown), Password and the rights.
    std::shared_ptr<Class_Level> level = Class_Level::create();
    int nEnable = 0;
};

struct OperatorEntry {
    QString name;
    QString password; // "" for none
    int levelId = 0;
};

struct Snapshot {
    std::vector<LevelEntry> levels;       // by ID
    std::vector<OperatorEntry> operators; // by name
    Captions captions;                    // of the rights (filled by ReadCaptions, not by ReadSnapshot)
    PolicyEntries policy;                 // the policy entries the file holds (checked values)
    bool passwordsHidden = false;         // a role that may not read them: every password reads empty
    // The passwords' ages (PasswordAges.h), when the database keeps them (their histories not while the
    // passwords are hidden).
    std::optional<std::vector<PasswordAge>> ages;
    // The badges (Badges.h), when the database keeps them: only their HMACs, which open only under the
    // key they were made with, by operator name and HMAC (their PINs not while the passwords are hidden).
    std::optional<std::vector<BadgeRow>> badges;
};

// Reads the whole database, opened shared and read-only, in one read transaction so that levels and
// operators belong together.
Snapshot ReadSnapshot(const QString& dbPath);

// The level with this ID, or nullptr.
const LevelEntry* FindLevel(const Snapshot& snapshot, int id);

// Restores the snapshot, its captions included, into a new database: a new file (ImportIntoNewFile,
// then the captions into its profile file), or a server database that exists and holds no level and no
// operator (an empty database, or the bare schema; else 3204). On a server the schema's missing parts,
// the rows, the policy and the captions are one transaction: after any failure the database is as it
// was. A database's own export always goes back in: the passwords are taken as they are, whatever the
// snapshot's policy says of them (FindPasswordsAgainstRules names those it refuses).
void ImportIntoNewDatabase(const QString& dbPath, const Snapshot& document);

// Builds a new database file holding exactly the snapshot's levels (with their IDs, passwords, rights and
// NEnable), operators and badges in a temporary owner-only file next to `dbPath`, and renames it to `dbPath`
// at the end, with the snapshot's policy entries (a policy table only when there are any). Passwords are
// written as the snapshot holds them (hashes stay hashes), except that a text is hashed when that policy
// stores hashes; the policy's rules are for new passwords and do not judge them.
// Fails with 3204 when anything exists at `dbPath`; after any failure the temporary file is
// gone and nothing exists at `dbPath`. The caller has checked the snapshot (unique names, every
// operator's level present, IDs in range).
void ImportIntoNewFile(const QString& dbPath, const Snapshot& document);

// Merges the snapshot into the existing database in one transaction: a level whose name is there
// (letter case aside) gets the snapshot's name, password, rights and NEnable, any other level is added
// above the largest ID; an operator whose name is there gets the snapshot's name and password and
// moves to its level, any other is added; then the levels are renumbered by their rights. Levels and
// operators the snapshot does not name stay; an operator the snapshot gives badges has exactly those
// afterwards, the others keep theirs, and a badge another operator has fails the merge with
// ErrDuplicateKey; the snapshot's policy entries replace the file's, except
// that the file's password storage stays: into a hashed file a snapshot's texts go hashed, and a
// hashed snapshot into a file that stores text is refused (ErrInvalidArgument). Every password of the
// snapshot that is not a hash must pass the resulting policy's rules. A merge that would leave a
// password on the level in force when nobody is logged in fails with ErrInvalidArgument. After any
// failure the file is as it was. The snapshot's captions are written too: on a server within the
// merge's transaction, beside a file once the merge is done.
void MergeIntoDatabase(const QString& dbPath, const Snapshot& document);

// Both import and merge first remove the temporary files that killed imports into the same path left
// behind.

bool IsCaptionKey(const QString& key);
// Only the captions the profile file holds; the others show their defaults.
Captions ReadCaptions(const QString& dbPath);
// Writes each caption into the profile file of `dbPath` (each write is locked against other writers).
void WriteCaptions(const QString& dbPath, const Captions& captions);

} // namespace zav::manage
