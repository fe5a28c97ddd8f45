#include "store/SqliteDatabase.h"

#include "store/SqliteStatement.h"

#include <sqlite3.h>

namespace zav::sqlite {

namespace {
int openFlagsOf(OpenFlags flags) {
    return flags == OpenFlags::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
}
} // namespace

Database::Database(const QString& path, OpenFlags flags) {
    const int rc =
        sqlite3_open_v2(path.toUtf8().constData(), &m_db, openFlagsOf(flags) | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const Exception error(m_db, rc);
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw error;
    }
    sqlite3_extended_result_codes(m_db, 1);
}

Database::~Database() {
    m_kept.clear();
    sqlite3_close_v2(m_db);
}

std::unique_ptr<Statement> Database::takeStatement(const QString& sql) {
    if (const auto kept = m_kept.find(sql); kept != m_kept.end()) {
        auto statement = std::move(kept->second);
        m_kept.erase(kept);
        return statement;
    }
    return std::make_unique<Statement>(*this, sql);
}

void Database::keepStatement(const QString& sql, std::unique_ptr<Statement> statement) noexcept {
    constexpr std::size_t KeptLimit = 48;
    statement->reset();
    if (m_kept.size() < KeptLimit && !m_kept.contains(sql)) {
        try {
            m_kept.emplace(sql, std::move(statement));
        } catch (...) {
            // not kept: finalized below
        }
    }
}

int Database::statementsInUse() const noexcept {
    int count = 0;
    for (sqlite3_stmt* s = sqlite3_next_stmt(m_db, nullptr); s; s = sqlite3_next_stmt(m_db, s)) {
        ++count;
    }
    return count - int(m_kept.size());
}

void Database::key(const QByteArray& key) {
    check(sqlite3_key(m_db, key.constData(), int(key.size())));
}

void Database::exec(const QString& sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const std::string text = message ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        throw Exception(sqlite3_extended_errcode(m_db), text);
    }
}

void Database::setBusyTimeout(int milliseconds) {
    check(sqlite3_busy_timeout(m_db, milliseconds));
}

int Database::changes() const noexcept {
    return sqlite3_changes(m_db);
}

qint64 Database::lastInsertRowid() const noexcept {
    return sqlite3_last_insert_rowid(m_db);
}

bool Database::isReadOnly() const noexcept {
    return sqlite3_db_readonly(m_db, "main") == 1;
}

bool Database::inTransaction() const noexcept {
    return sqlite3_get_autocommit(m_db) == 0;
}

bool Database::enforceForeignKeys(bool on) {
    int before = 0;
    check(sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_FKEY, -1, &before));
    if (bool(before) != on) {
        int after = 0;
        check(sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_FKEY, on ? 1 : 0, &after));
    }
    return before != 0;
}

void Database::check(int resultCode) const {
    if (resultCode != SQLITE_OK) {
        throw Exception(m_db, resultCode);
    }
}

ForeignKeysSuspended::~ForeignKeysSuspended() {
    try {
        m_db.enforceForeignKeys(m_wasOn);
    } catch (...) {
        // a destructor never throws; switching the flag does not fail on an open connection
    }
}

} // namespace zav::sqlite
