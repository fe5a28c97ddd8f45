#pragma once

#include <QString>

namespace zav::store {

// The password of a connect string or locale argument (";LANGID=...;pwd=secret"): the value of the
// first "pwd=" part, the key matched without regard to case. Empty when there is none; an empty
// password means an unprotected file (used by tests and benchmarks only).
QString passwordOf(const QString& connect);

} // namespace zav::store
