#pragma once

// A prepared statement that finalizes itself. Indexes of bind() start at 1, of columns at 0,
// as in SQLite.

#include "store/SqliteDatabase.h"

#include <QByteArray>
#include <QString>

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
    void reset();

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
};

} // namespace zav::sqlite
