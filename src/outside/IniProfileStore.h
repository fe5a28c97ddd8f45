#pragma once

#include "outside/ProfileStore.h"

namespace zav::outside {

// The profile store over plain profile files that Windows' profile functions can read and write as
// well (see ProfileDocument). A missing file, section or key reads as the default; writing creates the
// file. The file keeps its text encoding and line breaks; a write replaces the file atomically. A file
// that cannot be written, and an empty file name, fail with error 75 (ErrPathFileAccess). A write holds
// an exclusive lock on the companion file NAME.lock (created owner-only) from reading to replacing, so
// concurrent writers, in other processes too, lose no change; a new profile file is owner-only too.
//
// Reading an entry parses the whole file. While a ProfileReadScope lives on the thread, each file is
// parsed once and later reads of it look in that text (a write through the store has it parsed anew);
// the next scope reads the file again, and so sees what other processes wrote meanwhile.
class IniProfileStore : public ProfileStore {
public:
    QString ReadEntry(const QString& file, const QString& section, const QString& key,
                      const QString& defaultText) override;
    void WriteEntry(const QString& file, const QString& section, const QString& key,
                    const QString& text) override;
};

// Held around reads that belong together, such as the captions of one dialog.
class ProfileReadScope {
public:
    ProfileReadScope();
    ~ProfileReadScope();
    ProfileReadScope(const ProfileReadScope&) = delete;
    ProfileReadScope& operator=(const ProfileReadScope&) = delete;
};

// 0 outside any read scope; inside, a number of the thread's outermost scope, new for each, so that
// other stores can keep what they read for as long as the scope lives.
unsigned long long currentProfileReadScope();

} // namespace zav::outside
