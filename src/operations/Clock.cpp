#include "operations/Clock.h"

namespace zav::manage {

namespace {
thread_local std::function<QDateTime()> testClock;
}

QDateTime NowUtc() {
    return testClock ? testClock() : QDateTime::currentDateTimeUtc();
}

QDateTime ShiftedByTestClock(const QDateTime& time) {
    return testClock ? time.addMSecs(QDateTime::currentDateTimeUtc().msecsTo(testClock())) : time;
}

void SetClockForTests(std::function<QDateTime()> clock) {
    testClock = std::move(clock);
}

} // namespace zav::manage
