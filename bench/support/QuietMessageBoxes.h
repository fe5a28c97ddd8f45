#pragma once

// A modal message box would wait for a click that never comes: the benchmarks answer each one
// themselves, write it to standard error and count it, since a benchmark that met one measured a
// failure.

#include "base/MessageBox.h"

#include <QTextStream>

namespace zav::bench {

inline int& messagesShown() {
    static int count = 0;
    return count;
}

inline void answerMessageBoxes() {
    setMessageBoxHandler([](const QString& text, int style, const QString& title) {
        ++messagesShown();
        QTextStream(stderr) << title << ": " << text << Qt::endl;
        return (style & 0x7) == vbYesNo ? vbNo : vbOK;
    });
}

} // namespace zav::bench
