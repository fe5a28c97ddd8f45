#include "operations/PasswordRules.h"

#include "operations/ManageDatabase.h"
#include "operations/OperationErrors.h"
#include "operations/PasswordAgeRows.h"
#include "store/ConnectOptions.h"
#include "store/Schema.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <algorithm>

namespace zav::manage {

namespace {

bool sameText(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int logoutLevelId(const QString& dbPath) {
    auto db = OpenForReading(dbPath);
    auto rs = db->OpenRecordset(QStringLiteral("Select Max(ID) as ID from Levels"));
    const QVariant largest = rs->Field(store::FieldID);
    rs->Close();
    db->Close();
    return largest.isNull() ? -1 : largest.toInt();
}

// password-history: `password` is one of the entry's recent passwords (the row named `name` in `table`).
bool recentlyUsed(const QString& dbPath, const Policy& policy, const QString& table, LockoutKind kind,
                  const QString& name, const QString& password) {
    if (policy.passwordHistory <= 0 || password.isEmpty()) {
        return false;
    }
    auto db = OpenForReading(dbPath);
    store::Transaction oneMoment(*db);
    auto rs = db->OpenRecordset(QStringLiteral("Select Name, PWD from %1 where Name = ?").arg(table), {name});
    const bool found = !rs->Eof();
    const QString current = found ? rs->Field(store::FieldPWD).toString() : QString();
    const QString storedName = found ? rs->Field(store::FieldName).toString() : name;
    rs->Close();
    const auto age = ReadPasswordAge(*db, {kind, storedName});
    oneMoment.Commit();
    db->Close();
    return IsRecentPassword(password, current, age, policy);
}

} // namespace

std::vector<PasswordFault> PasswordFaults(const Policy& policy, const QString& password,
                                          const QStringList& names) {
    std::vector<PasswordFault> faults;
    if (!policy.AnyPasswordRule()) {
        return faults;
    }
    if (password.size() < policy.passwordMinLength) {
        faults.push_back(PasswordFault::TooShort);
    }
    if (password.isEmpty()) {
        return faults; // no password: nothing else to hold
    }
    if (policy.passwordRequireDigit &&
        std::none_of(password.begin(), password.end(), [](QChar c) { return c.isDigit(); })) {
        faults.push_back(PasswordFault::NoDigit);
    }
    if (policy.passwordRequireLetter &&
        std::none_of(password.begin(), password.end(), [](QChar c) { return c.isLetter(); })) {
        faults.push_back(PasswordFault::NoLetter);
    }
    if (std::any_of(names.begin(), names.end(),
                    [&](const QString& name) { return sameText(password, name); })) {
        faults.push_back(PasswordFault::SameAsName);
    }
    if (sameText(password, store::passwordOf(store::ConnectString))) {
        faults.push_back(PasswordFault::SameAsFixedKey);
    }
    return faults;
}

QString DescribePasswordFaults(const std::vector<PasswordFault>& faults, const Policy& policy) {
    QStringList parts;
    for (const PasswordFault fault : faults) {
        switch (fault) {
        case PasswordFault::TooShort:
            parts << QStringLiteral("at least %1 characters are needed").arg(policy.passwordMinLength);
            break;
        case PasswordFault::NoDigit:
            parts << QStringLiteral("a digit is needed");
            break;
        case PasswordFault::NoLetter:
            parts << QStringLiteral("a letter is needed");
            break;
        case PasswordFault::SameAsName:
            parts << QStringLiteral("it must not be the name");
            break;
        case PasswordFault::SameAsFixedKey:
            parts << QStringLiteral("it must not be the database's fixed key");
            break;
        case PasswordFault::Reused:
            parts
                << QStringLiteral("it must not be one of the last %1 passwords").arg(policy.passwordHistory);
            break;
        }
    }
    return parts.join(QStringLiteral("; "));
}

PasswordVerdict CheckNewLevelPassword(const QString& dbPath, int id, const QStringList& names,
                                      const QString& password) {
    PasswordVerdict verdict{ReadPolicy(dbPath), {}};
    // The level in force when nobody is logged in has no password, whatever the rules.
    if (password.isEmpty() && verdict.policy.passwordMinLength > 0 && logoutLevelId(dbPath) == id) {
        return verdict;
    }
    verdict.faults = PasswordFaults(verdict.policy, password, names);
    if (!names.isEmpty() && recentlyUsed(dbPath, verdict.policy, store::LevelsTable, LockoutKind::Level,
                                         names.front(), password)) {
        verdict.faults.push_back(PasswordFault::Reused);
    }
    return verdict;
}

PasswordVerdict CheckNewOperatorPassword(const QString& dbPath, const QString& name,
                                         const QString& password) {
    PasswordVerdict verdict{ReadPolicy(dbPath), {}};
    verdict.faults = PasswordFaults(verdict.policy, password, {name});
    if (recentlyUsed(dbPath, verdict.policy, store::OperatorsTable, LockoutKind::Operator, name, password)) {
        verdict.faults.push_back(PasswordFault::Reused);
    }
    return verdict;
}

void RefuseFaultyPassword(const PasswordVerdict& verdict, const QString& owner) {
    if (!verdict.faults.empty()) {
        throw AutomationError(ErrInvalidArgument,
                              QStringLiteral("the password of %1 is refused by the policy: %2")
                                  .arg(owner, DescribePasswordFaults(verdict.faults, verdict.policy)));
    }
}

} // namespace zav::manage
