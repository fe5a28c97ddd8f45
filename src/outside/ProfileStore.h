#pragma once

#include <QString>

namespace zav::outside {

// Entries of a profile file ("[Section]" lines and "key=value" lines, as Windows' profile
// functions write them).
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The stored text, or the default when the file, the section or the key is missing.
    virtual QString ReadEntry(const QString& file, const QString& section, const QString& key,
                              const QString& defaultText) = 0;
    // Stores the text, changing only that entry's line. Throws AutomationError when the file
    // cannot be written.
    virtual void WriteEntry(const QString& file, const QString& section, const QString& key,
                            const QString& text) = 0;
};

} // namespace zav::outside
