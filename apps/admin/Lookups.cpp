#include "Lookups.h"

#include "AdminError.h"
#include "operations/CredentialDatabase.h"

#include <limits>

namespace zav::admin {

int ParseLevelId(const QString& text) {
    bool ok = false;
    const qlonglong id = text.toLongLong(&ok);
    if (!ok) {
        throw UsageError(QStringLiteral("'%1' is not a level ID (a whole number)").arg(text));
    }
    if (id < std::numeric_limits<qint16>::min() || id > std::numeric_limits<qint16>::max()) {
        throw manage::DbError(
            manage::ErrFieldOverflow,
            QStringLiteral("level ID %1 is out of range: level numbers are 16-bit (%2 to %3)")
                .arg(id)
                .arg(std::numeric_limits<qint16>::min())
                .arg(std::numeric_limits<qint16>::max()));
    }
    return static_cast<int>(id);
}

QString NoSuchLevel(int id) {
    return QStringLiteral("no level has ID %1").arg(id);
}

QString NoSuchOperator(const QString& name) {
    return QStringLiteral("no operator is named \"%1\"").arg(name);
}

std::shared_ptr<Class_Level> RequireLevel(const QString& dbPath, int id) {
    auto level = Class_Level::create();
    if (!manage::LoadLevel(dbPath, id, *level)) {
        throw manage::DbError(manage::ErrNoCurrentRecord, NoSuchLevel(id));
    }
    return level;
}

std::shared_ptr<Class_Level> RequireLevel(const QString& dbPath, const QString& idOrName) {
    bool isNumber = false;
    idOrName.toLongLong(&isNumber);
    if (isNumber) {
        return RequireLevel(dbPath, ParseLevelId(idOrName));
    }
    if (const auto id = manage::LevelIdByName(dbPath, idOrName)) {
        return RequireLevel(dbPath, *id);
    }
    // The name the listings show, such as "Operator" for the built-in "|1".
    for (const auto& entry : manage::ReadSnapshot(dbPath).levels) {
        if (entry.level->LevelName().compare(idOrName, Qt::CaseInsensitive) == 0) {
            return RequireLevel(dbPath, entry.level->ID());
        }
    }
    throw manage::DbError(manage::ErrNoCurrentRecord,
                          QStringLiteral("no level is named \"%1\"").arg(idOrName));
}

manage::OperatorRow RequireOperator(const QString& dbPath, const QString& name) {
    auto row = manage::FindOperatorRow(dbPath, name);
    if (!row) {
        throw manage::DbError(manage::ErrNoCurrentRecord, NoSuchOperator(name));
    }
    return *row;
}

std::optional<int> LogoutLevelId(const QString& dbPath) {
    std::optional<int> largest;
    manage::ForEachLevelBelow(dbPath, BelowEveryLevel, [&](int id, const QString&) { largest = id; });
    return largest;
}

void CheckNewName(const QString& name, const QString& what) {
    if (name.isEmpty() || manage::IsNumericText(name)) {
        throw AutomationError(
            ErrInvalidArgument,
            QStringLiteral("'%1' cannot name %2: a name must not be empty or a number").arg(name, what));
    }
}

void ExplainKeyErrors(const std::function<void()>& change, const QString& duplicate,
                      const QString& missingLevel) {
    try {
        change();
    } catch (const manage::DbError& error) {
        if (error.Number() == manage::ErrDuplicateKey && !duplicate.isEmpty()) {
            throw manage::DbError(error.Number(), duplicate, error.EngineCode());
        }
        if (error.Number() == manage::ErrRelatedRecordRequired && !missingLevel.isEmpty()) {
            throw manage::DbError(error.Number(), missingLevel, error.EngineCode());
        }
        throw;
    }
}

} // namespace zav::admin
