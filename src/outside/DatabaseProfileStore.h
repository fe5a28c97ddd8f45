#pragma once

#include "outside/ProfileStore.h"

namespace zav::outside {

// The profile entries of a server database, kept in its Profile table so that every panel of the
// server shares them. The "file" is the profile path the component makes of DbPath (the URI followed
// by ".INI"); the URI without that ending names the database. Section and key compare without regard
// to letter case, as in a profile file. A database without the table reads every entry as its
// default; the first write makes the table. Failures of the server are thrown as they come (DbError).
// Inside a ProfileReadScope the table is read once per database.
class DatabaseProfileStore : public ProfileStore {
public:
    QString ReadEntry(const QString& file, const QString& section, const QString& key,
                      const QString& defaultText) override;
    void WriteEntry(const QString& file, const QString& section, const QString& key,
                    const QString& text) override;
};

// Profile files beside file databases, and the Profile table of server databases, chosen by the name.
class DefaultProfileStore : public ProfileStore {
public:
    QString ReadEntry(const QString& file, const QString& section, const QString& key,
                      const QString& defaultText) override;
    void WriteEntry(const QString& file, const QString& section, const QString& key,
                    const QString& text) override;

private:
    ProfileStore& storeFor(const QString& file);
};

} // namespace zav::outside
