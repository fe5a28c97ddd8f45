#pragma once

// A prepared statement that finalizes itself. Indexes of bind() start at 1, of columns at 0,
// as in SQLite.

#include "store/SqliteDatabase.h"

#include <QByteArray>
#include <QString>
#include <memory>

struct sqlite3_stmt;

namespace zav::sqlite {

// Storage classes of a column value (SQLITE_INTEGER ... SQLITE_NULL).
enum class ColumnType { Integer = 1, Float = 2, Text = 3, Blob = 4, Null = 5 };

class Statement {
public:
    // Prepares one statement; text after it other than blanks is refused.
    Statement(Database& db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, qint64 value);
    void bind(int index, double value);
    void bind(int index, const QString& value); // a null QString binds the empty text
    void bindNull(int index);

    // Steps once: true while a row is available.
    bool executeStep();
    // Runs the statement to its end and returns the number of rows it changed.
    int exec();
    // Back to the start, without bound values.
    void reset() noexcept;
    // Stands for the statement's columns as prepared: it changes when SQLite prepares the statement
    // again because the schema changed (the new names are made before the old ones go).
    const void* columnsIdentity() const noexcept;
    // What a user derived from the statement once (a recordset's columns), kept with it for reuse.
    const std::shared_ptr<const void>& derived() const noexcept { return m_derived; }
    void setDerived(std::shared_ptr<const void> derived) noexcept { m_derived = std::move(derived); }

    int columnCount() const noexcept;
    QString columnName(int column) const;
    QString columnDeclType(int column) const; // "" for an expression
    ColumnType columnType(int column) const noexcept;
    qint64 columnInt64(int column) const noexcept;
    double columnDouble(int column) const noexcept;
    QString columnText(int column) const;
    QByteArray columnBlob(int column) const;

private:
    Database& m_db;
    sqlite3_stmt* m_stmt = nullptr;
    std::shared_ptr<const void> m_derived;
};

// A statement the connection keeps, taken for one use and given back when this goes.
class KeptStatement {
public:
    KeptStatement(Database& db, const QString& sql)
        : m_db(db), m_sql(sql), m_statement(db.takeStatement(sql)) {}
    ~KeptStatement() { m_db.keepStatement(m_sql, std::move(m_statement)); }
    KeptStatement(const KeptStatement&) = delete;
    KeptStatement& operator=(const KeptStatement&) = delete;
    Statement& operator*() const noexcept { return *m_statement; }
    Statement* operator->() const noexcept { return m_statement.get(); }

private:
    Database& m_db;
    QString m_sql;
    std::unique_ptr<Statement> m_statement;
};

} // namespace zav::sqlite
