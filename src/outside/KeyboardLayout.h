#pragma once

// What the on-screen keyboard shows that depends on the operator's language: the captions of its control
// keys, the names its symbol-only keys are announced by, and the letter rows. The outside layer knows no
// languages: the language layer registers where the current layout comes from.

#include <QString>
#include <QStringList>

namespace zav::outside {

struct KeyboardLayout {
    QString ok = QStringLiteral("OK");
    QString cancel = QStringLiteral("Cancel");
    QString toDigits = QStringLiteral("123");
    QString toLetters = QStringLiteral("ABC");
    QString shift = QStringLiteral("Shift");
    QString space = QStringLiteral("Space");
    QString backspace = QStringLiteral("Backspace");
    // The letter rows below the digit row, top first; the last one shares its line with Shift.
    QStringList letterRows = {QStringLiteral("qwertyuiop"), QStringLiteral("asdfghjkl"),
                              QStringLiteral("zxcvbnm")};
};

// The layout of the current language. Returning it may fail; the keyboard then shows the English one.
using KeyboardLayoutSource = KeyboardLayout (*)();
void setKeyboardLayoutSource(KeyboardLayoutSource source);
KeyboardLayout currentKeyboardLayout() noexcept;

} // namespace zav::outside
