#include "store/SqliteStatement.h"

#include <sqlite3.h>

namespace zav::sqlite {

Statement::Statement(Database& db, const QString& sql) : m_db(db) {
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    m_db.check(sqlite3_prepare_v2(m_db.handle(), text.constData(), int(text.size()), &m_stmt, &tail));
    if (!m_stmt) {
        throw Exception(SQLITE_MISUSE, "The SQL text holds no statement.");
    }
    if (!QByteArray(tail).trimmed().isEmpty()) {
        sqlite3_finalize(m_stmt);
        throw Exception(SQLITE_ERROR, "Characters found after end of SQL statement.");
    }
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, qint64 value) {
    m_db.check(sqlite3_bind_int64(m_stmt, index, value));
}

void Statement::bind(int index, double value) {
    m_db.check(sqlite3_bind_double(m_stmt, index, value));
}

void Statement::bind(int index, const QString& value) {
    // SQLite takes a null pointer for NULL: the empty text needs a real one.
    static const char16_t empty[1] = {0};
    const void* data =
        value.isEmpty() ? static_cast<const void*>(empty) : static_cast<const void*>(value.utf16());
    m_db.check(sqlite3_bind_text16(m_stmt, index, data, int(value.size() * 2), SQLITE_TRANSIENT));
}

void Statement::bindNull(int index) {
    m_db.check(sqlite3_bind_null(m_stmt, index));
}

bool Statement::executeStep() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    const Exception error(m_db.handle(), rc);
    sqlite3_reset(m_stmt);
    throw error;
}

int Statement::exec() {
    while (executeStep()) {
    }
    return m_db.changes();
}

void Statement::reset() noexcept {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

const void* Statement::columnsIdentity() const noexcept {
    return sqlite3_column_count(m_stmt) > 0 ? sqlite3_column_name(m_stmt, 0) : nullptr;
}

int Statement::columnCount() const noexcept {
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString Statement::columnDeclType(int column) const {
    return QString::fromUtf8(sqlite3_column_decltype(m_stmt, column));
}

ColumnType Statement::columnType(int column) const noexcept {
    return static_cast<ColumnType>(sqlite3_column_type(m_stmt, column));
}

qint64 Statement::columnInt64(int column) const noexcept {
    return sqlite3_column_int64(m_stmt, column);
}

double Statement::columnDouble(int column) const noexcept {
    return sqlite3_column_double(m_stmt, column);
}

QString Statement::columnText(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column));
}

QByteArray Statement::columnBlob(int column) const {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
    return QByteArray(data, sqlite3_column_bytes(m_stmt, column));
}

} // namespace zav::sqlite
