#pragma once

// The stored passwords within a caller's write transaction: the switch to hashed storage, and the
// stored form of a new password made before the transaction begins.

#include "operations/Policy.h"
#include "store/Engine.h"

#include <QString>

namespace zav::manage {

// Replaces every non-empty PWD of Levels and Operators that is not a hash yet by its hash and returns
// how many it replaced.
int HashTextPasswords(store::Database& db);

// A new password's stored form, made before the write takes its lock: a hash takes tens of
// milliseconds, and every other panel's write would wait that long behind it. The policy is read
// again inside the transaction; `under` makes the form once more only when it changed in between.
class StoredFormMadeAhead {
public:
    StoredFormMadeAhead(const QString& dbPath, const QString& password);
    QString under(PasswordStorage storage) const;

private:
    QString m_password;
    PasswordStorage m_storage;
    QString m_form;
};

} // namespace zav::manage
