#include "operations/PasswordOperations.h"

#include "access/LevelRecord.h"
#include "operations/AuditRows.h"
#include "operations/ManageDatabase.h"
#include "operations/PasswordAgeRows.h"
#include "operations/PasswordHashing.h"
#include "operations/PasswordRows.h"
#include "operations/PolicyRows.h"
#include "store/Schema.h"

#include <functional>

namespace zav::manage {

namespace {
// Opens the row to write (nullptr or an empty recordset: there is none) within one transaction and
// stores the password's stored form in it.
std::optional<QString>
storePassword(const QString& dbPath,
              const std::function<std::unique_ptr<store::Recordset>(store::Database&)>& openRow,
              const QString& password, const QString& whose, LockoutKind kind, bool byOwner) {
    const StoredFormMadeAhead storedForm(dbPath, password);
    auto db = OpenForWriting(dbPath);
    store::Transaction transaction(*db);
    auto rs = openRow(*db);
    std::optional<QString> written;
    if (rs && !rs->Eof()) {
        const Policy policy = PolicyOf(*db);
        written = storedForm.under(policy.passwordStorage);
        rs->MoveFirst();
        const LockoutEntry entry{kind, access::TextOrEmpty(rs->Field(store::FieldName))};
        const QString previous = access::TextOrEmpty(rs->Field(store::FieldPWD));
        rs->Edit();
        rs->SetField(store::FieldPWD, *written);
        rs->Update();
        rs->Close();
        NotePasswordChange(*db, entry, previous, byOwner, policy);
    } else if (rs) {
        rs->Close();
    }
    if (written) {
        AuditWithin(*db, {QStringLiteral("password-changed"),
                          whose + (password.isEmpty() ? QStringLiteral(": removed") : QString()),
                          {}});
    }
    transaction.Commit();
    db->Close();
    return written;
}
} // namespace

std::optional<QString> StoreLevelPassword(const QString& dbPath, int id, const QString& storedName,
                                          const QString& password, bool byOwner) {
    return storePassword(
        dbPath, [&](store::Database& db) { return access::OpenMeantLevel(db, id, storedName); }, password,
        QStringLiteral("level %1 '%2'").arg(id).arg(storedName), LockoutKind::Level, byOwner);
}

std::optional<QString> StoreOperatorPassword(const QString& dbPath, const QString& name,
                                             const QString& password, bool byOwner) {
    return storePassword(
        dbPath,
        [&](store::Database& db) {
            return db.OpenRecordset(QStringLiteral("Select * from Operators where Name = ?"), {name});
        },
        password, QStringLiteral("operator '%1'").arg(name), LockoutKind::Operator, byOwner);
}

StoredFormMadeAhead::StoredFormMadeAhead(const QString& dbPath, const QString& password)
    : m_password(password), m_storage(PasswordStorage::Plain), m_form(password) {
    if (password.isEmpty()) {
        return;
    }
    auto db = OpenForReading(dbPath);
    m_storage = PolicyOf(*db).passwordStorage;
    db->Close();
    m_form = StoredFormOf(password, m_storage);
}

QString StoredFormMadeAhead::under(PasswordStorage storage) const {
    return storage == m_storage || m_password.isEmpty() ? m_form : StoredFormOf(m_password, storage);
}

int HashTextPasswords(store::Database& db) {
    int replaced = 0;
    for (const QString& table : {store::LevelsTable, store::OperatorsTable}) {
        auto rs = db.OpenRecordset(QStringLiteral("Select * from %1").arg(table));
        for (; !rs->Eof(); rs->MoveNext()) {
            const QString stored = access::TextOrEmpty(rs->Field(store::FieldPWD));
            if (!stored.isEmpty() && !IsPasswordHash(stored)) {
                rs->Edit();
                rs->SetField(store::FieldPWD, HashPassword(stored));
                rs->Update();
                ++replaced;
            }
        }
        rs->Close();
    }
    HashPasswordHistories(db);
    return replaced;
}

} // namespace zav::manage
