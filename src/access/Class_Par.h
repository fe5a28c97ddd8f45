#pragma once

#include <QString>

namespace zav {

// The parameter record through which a modal dialog gets its inputs and returns its outcome.
// Every dialog sets Result false when it loads and true only on success.
struct Class_Par {
    bool Result = false;
    QString Title; // caption suffix of the level permission dialog
    QString Text;  // the chosen or entered name, or the new password as stored
    bool LockOldPWD = false;
    // The password dialog stores nothing and hands the new password back in Text, as typed, once the
    // rules pass it (for an operator about to be added).
    bool StoreNothing = false;
    int LoginMode = 0; // 0 = a level, 1 = an operator
};

inline constexpr int LoginModeLevel = 0;
inline constexpr int LoginModeOperator = 1;

} // namespace zav
