#pragma once

// The command line of zav-admin: options may stand anywhere; the first word that is no option is the
// command and the words after it are its arguments. "--" ends the options (for names that start with
// "-"); a word such as "-3" is an argument, not an option.

#include <QString>
#include <QStringList>
#include <optional>

namespace zav::admin {

struct Invocation {
    QString command; // empty when only options were given
    QStringList arguments;
    std::optional<QString> dbPath;
    std::optional<QString> level; // --level, as typed
    std::optional<QString> panel; // unlock --panel HOST
    QStringList rights;           // every --rights value, in order
    std::optional<QString> since; // --since, as typed
    std::optional<QString> until; // --until, as typed
    bool verify = false;
    bool head = false;               // audit --head
    QStringList anchors;             // every --anchor SEQ:HASH, in order
    bool anchorsFromJournal = false; // audit --anchors-from-journal
    std::optional<QString> pdf;      // audit --pdf FILE
    bool signatures = false;         // audit --signatures
    bool json = false;
    bool fromStdin = false;
    bool passwordFromStdin = false; // --password-stdin
    bool pin = false;               // badge set --pin
    bool merge = false;
    bool force = false;
    bool help = false;
    // The options given besides --db and --help ("--json", ...), so that a command can refuse the
    // ones that do not apply to it.
    QStringList commandOptions;
};

// Throws UsageError for an unknown option, a missing value or an option given twice.
Invocation ParseCommandLine(const QStringList& words);

} // namespace zav::admin
