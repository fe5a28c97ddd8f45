#pragma once

// The time the operations stamp and compare with: audit rows, retention, locks and the waits of level 0's
// password. One place, so that tests can move it for this thread.

#include <QDateTime>
#include <functional>

namespace zav::manage {

QDateTime NowUtc();
// A time read from another clock (a server's), moved as far as a test moved this thread's clock.
QDateTime ShiftedByTestClock(const QDateTime& time);
// Tests set this thread's clock; unset, the system clock.
void SetClockForTests(std::function<QDateTime()> clock);

} // namespace zav::manage
