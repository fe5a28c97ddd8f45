#pragma once

// The demo panel's command line.

#include <QString>
#include <QStringList>
#include <optional>

namespace zav::panel {

struct PanelOptions {
    QString dbPath;       // the credential database; created on first run
    bool touch = false;   // touch-screen mode: on-screen keyboard, larger login dialog and buttons
    int enableCount = 6;  // number of custom rights the panel offers
    QString language;     // a language name ("Deutsch", "it", ...); empty: the component's default
    QString languageFile; // a language file whose folder and language are used
    bool fullscreen = false;
    bool autoShutDown = false; // only when asked for: quitting a demo must not power the machine off
};

struct ParsedOptions {
    std::optional<PanelOptions> options; // nothing when the program should stop
    int exitCode = 0;                    // for a stop: 0 after --help / --version, 2 after a usage error
    QString message;                     // what to print before stopping
};

// $XDG_DATA_HOME/zav-panel/login.db, else ~/.local/share/zav-panel/login.db.
QString defaultDatabasePath();

// Parses the arguments (the first is the program name).
ParsedOptions parsePanelOptions(const QStringList& arguments);

} // namespace zav::panel
