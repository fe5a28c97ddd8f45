#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace zav::outside {

// The text of a profile file read the way Windows' profile functions read it, and changed the way
// they change it: one entry's line at a time, every other character of the file kept as it was.
//
// "[Section]" lines open a section; "key=value" lines are entries; lines starting with ";" are
// comments. Sections and keys match without regard to case, the first one of a name wins. A value
// is everything after the first "=", blanks around it trimmed, and one pair of enclosing quotes
// (" or ') removed.
class ProfileDocument {
public:
    explicit ProfileDocument(const QString& text = {});

    std::optional<QString> value(const QString& section, const QString& key) const;
    // Changes the entry's line, or adds the key at the end of its section, or adds the section at the
    // end of the file. Throws AutomationError for a section, key or value a profile file cannot hold.
    void setValue(const QString& section, const QString& key, const QString& value);

    QString text() const;

private:
    struct Line {
        QString content;
        QString ending; // "\r\n", "\n" or "" for a last line without a break
    };

    std::optional<qsizetype> findSection(const QString& section) const;
    // The index just past the section's last line (the next section's header or the end).
    qsizetype sectionEnd(qsizetype header) const;
    std::optional<qsizetype> findKey(qsizetype header, const QString& key) const;
    void insertLine(qsizetype index, const QString& content);

    QList<Line> m_lines;
    QString m_newLine; // the break new lines get: the file's own, CRLF when the file has any
};

} // namespace zav::outside
