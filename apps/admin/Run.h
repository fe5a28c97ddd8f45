#pragma once

#include "Arguments.h"

#include <QStringList>

namespace zav::admin {

// Runs zav-admin with the words of its command line (without the program name) and returns the exit
// status: 0 success, 1 failure, 2 wrong usage. Messages go to standard error.
int Run(const QStringList& words);
// The same with the words as main took them: refuses a word that is not UTF-8 (status 1, error 5, before
// anything is read or written) and warns when a password was taken out of the arguments.
int Run(const CommandLineWords& commandLine);

} // namespace zav::admin
