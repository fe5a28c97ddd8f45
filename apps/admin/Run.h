#pragma once

#include <QStringList>

namespace zav::admin {

// Runs zav-admin with the words of its command line (without the program name) and returns the exit
// status: 0 success, 1 failure, 2 wrong usage. Messages go to standard error.
int Run(const QStringList& words);

} // namespace zav::admin
