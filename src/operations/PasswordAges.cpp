#include "operations/PasswordAgeRows.h"

#include "access/LevelRecord.h"
#include "operations/PasswordHashing.h"
#include "operations/ServerSafeguards.h"
#include "store/Schema.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <set>

namespace zav::manage {

namespace {

QString kindText(LockoutKind kind) {
    return kind == LockoutKind::Level ? QStringLiteral("level") : QStringLiteral("operator");
}

QString historyText(const QStringList& history) {
    return history.isEmpty()
               ? QString()
               : QString::fromUtf8(
                     QJsonDocument(QJsonArray::fromStringList(history)).toJson(QJsonDocument::Compact));
}

QStringList historyOf(const QVariant& text) {
    QStringList history;
    for (const auto& value : QJsonDocument::fromJson(text.toString().toUtf8()).array()) {
        history << value.toString();
    }
    return history;
}

PasswordAge ageOf(const store::Recordset& rs, bool withHistory) {
    PasswordAge age;
    age.entry = {rs.Field(store::FieldKind).toString() == QLatin1String("level") ? LockoutKind::Level
                                                                                 : LockoutKind::Operator,
                 rs.Field(store::FieldName).toString()};
    age.changedAt = ParseDatabaseTime(rs.Field(store::FieldChangedAt).toString());
    age.mustChange = rs.Field(store::FieldMustChange).toBool();
    age.byOwner = rs.Field(store::FieldByOwner).toBool();
    if (withHistory) {
        age.history = historyOf(rs.Field(store::FieldHistory));
    }
    return age;
}

const QString RowOf = QStringLiteral("Select * from PasswordAges where Kind = ? and Name = ?");

} // namespace

bool KeepsPasswordAges(store::Database& db) {
    return db.TableExists(store::PasswordAgesTable);
}

void KeepPasswordAges(store::Database& db) {
    if (!KeepsPasswordAges(db)) {
        db.CreateTable(store::PasswordAgesTableDef());
    }
    std::set<std::pair<QString, QString>> kept; // kind, name in lower case
    for (const PasswordAge& age : ReadPasswordAges(db, false)) {
        kept.emplace(kindText(age.entry.kind), age.entry.name.toLower());
    }
    const QString now = DatabaseNow(db).toString(Qt::ISODateWithMs);
    auto rows = db.OpenRecordset(QStringLiteral("Select * from PasswordAges where Kind is null"));
    for (const auto& [table, kind] : {std::pair{store::LevelsTable, QStringLiteral("level")},
                                      std::pair{store::OperatorsTable, QStringLiteral("operator")}}) {
        auto names = db.OpenRecordset(QStringLiteral("Select Name from %1").arg(table));
        for (; !names->Eof(); names->MoveNext()) {
            const QString name = names->Field(store::FieldName).toString();
            if (kept.count({kind, name.toLower()}) == 0) {
                rows->AddNew();
                rows->SetField(store::FieldKind, kind);
                rows->SetField(store::FieldName, name);
                rows->SetField(store::FieldChangedAt, now);
                rows->SetField(store::FieldMustChange, false);
                rows->SetField(store::FieldByOwner, false);
                rows->Update();
            }
        }
        names->Close();
    }
    rows->Close();
}

std::optional<PasswordAge> ReadPasswordAge(store::Database& db, const LockoutEntry& entry) {
    if (!KeepsPasswordAges(db)) {
        return std::nullopt;
    }
    auto rs = db.OpenRecordset(RowOf, {kindText(entry.kind), entry.name});
    std::optional<PasswordAge> age;
    if (!rs->Eof()) {
        rs->MoveFirst();
        age = ageOf(*rs, true);
    }
    rs->Close();
    return age;
}

std::vector<PasswordAge> ReadPasswordAges(store::Database& db, bool withHistory) {
    std::vector<PasswordAge> ages;
    auto rs = db.OpenRecordset(QStringLiteral("Select Kind, Name, ChangedAt, MustChange, ByOwner%1 from "
                                              "PasswordAges order by Kind, Name")
                                   .arg(withHistory ? QStringLiteral(", History") : QString()));
    for (; !rs->Eof(); rs->MoveNext()) {
        ages.push_back(ageOf(*rs, withHistory));
    }
    rs->Close();
    return ages;
}

void WritePasswordAge(store::Database& db, const PasswordAge& age) {
    auto rs = db.OpenRecordset(RowOf, {kindText(age.entry.kind), age.entry.name});
    if (rs->Eof()) {
        rs->AddNew();
        rs->SetField(store::FieldKind, kindText(age.entry.kind));
        rs->SetField(store::FieldName, age.entry.name);
    } else {
        rs->MoveFirst();
        rs->Edit();
    }
    rs->SetField(store::FieldChangedAt, age.changedAt.isValid()
                                            ? QVariant(age.changedAt.toUTC().toString(Qt::ISODateWithMs))
                                            : QVariant());
    rs->SetField(store::FieldMustChange, age.mustChange);
    rs->SetField(store::FieldByOwner, age.byOwner);
    const QString history = historyText(age.history);
    rs->SetField(store::FieldHistory, history.isEmpty() ? QVariant() : QVariant(history));
    rs->Update();
    rs->Close();
}

void NotePasswordChange(store::Database& db, const LockoutEntry& entry, const QString& previous, bool byOwner,
                        const Policy& policy) {
    if (!KeepsPasswordAges(db)) {
        return;
    }
    PasswordAge age = ReadPasswordAge(db, entry).value_or(PasswordAge{entry});
    age.entry = entry;
    if (!previous.isEmpty()) {
        age.history.prepend(previous);
    }
    age.history = age.history.mid(0, policy.passwordHistory);
    age.changedAt = DatabaseNow(db);
    age.mustChange = !byOwner;
    age.byOwner = byOwner;
    WritePasswordAge(db, age);
}

void DropStrayPasswordAges(store::Database& db) {
    if (!KeepsPasswordAges(db)) {
        return;
    }
    for (const auto& [table, kind] : {std::pair{store::LevelsTable, QStringLiteral("level")},
                                      std::pair{store::OperatorsTable, QStringLiteral("operator")}}) {
        db.Execute(
            QStringLiteral("Delete * from PasswordAges where Kind = ? and Name not in (Select Name from %1)")
                .arg(table),
            {kind});
    }
}

void HashPasswordHistories(store::Database& db) {
    if (!KeepsPasswordAges(db)) {
        return;
    }
    auto rs = db.OpenRecordset(QStringLiteral("Select * from PasswordAges where History is not null"));
    for (; !rs->Eof(); rs->MoveNext()) {
        QStringList history = historyOf(rs->Field(store::FieldHistory));
        for (QString& kept : history) {
            kept = IsPasswordHash(kept) ? kept : HashPassword(kept);
        }
        rs->Edit();
        rs->SetField(store::FieldHistory, historyText(history));
        rs->Update();
    }
    rs->Close();
}

ChangeReason ChangeDue(const std::optional<PasswordAge>& age, const Policy& policy, const QDateTime& now) {
    if (!age) {
        return ChangeReason::None;
    }
    if (policy.passwordChangeAtFirstLogin && age->mustChange && age->entry.kind == LockoutKind::Operator) {
        return ChangeReason::FirstLogin;
    }
    if (policy.passwordMaxAgeDays > 0 && age->changedAt.isValid() &&
        age->changedAt.addDays(policy.passwordMaxAgeDays) < now) {
        return ChangeReason::Expired;
    }
    return ChangeReason::None;
}

bool IsRecentPassword(const QString& password, const QString& current, const std::optional<PasswordAge>& age,
                      const Policy& policy) {
    if (policy.passwordHistory <= 0 || password.isEmpty()) {
        return false;
    }
    QStringList recent{current};
    if (age) {
        recent += age->history.mid(0, policy.passwordHistory - 1);
    }
    for (const QString& kept : recent) {
        if (!kept.isEmpty() && PasswordMatches(password, kept, policy.passwordStorage)) {
            return true;
        }
    }
    return false;
}

} // namespace zav::manage
