#pragma once

// The command line as the program was started with it, taken before anything else runs. Every word
// must be valid UTF-8: a name that is not would be stored with U+FFFD in place of its faulty bytes, and
// two different names would become one. A server address that carries a password is rewritten in the
// process's own argument memory without it at once, since every local user can read the arguments of
// a running program (ps, /proc/PID/cmdline); the words handed on keep it.

#include <QString>
#include <QStringList>

namespace zav::admin {

struct CommandLineWords {
    QStringList words;            // without the program's name
    QString fault;                // why a word is refused; empty when every word is valid UTF-8
    bool passwordRemoved = false; // a password was taken out of the process's arguments
};

CommandLineWords TakeCommandLine(int argc, char** argv);

} // namespace zav::admin
