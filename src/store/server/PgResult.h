#pragma once

// A result of the server that frees itself. Rows and columns count from 0.

#include <QString>
#include <QVariant>
#include <utility>

struct pg_result;

namespace zav::pg {

class Result {
public:
    explicit Result(pg_result* result) noexcept : m_result(result) {}
    ~Result();
    Result(Result&& other) noexcept : m_result(std::exchange(other.m_result, nullptr)) {}
    Result& operator=(Result&& other) noexcept;
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;

    pg_result* handle() const noexcept { return m_result; }

    int rowCount() const noexcept;
    int columnCount() const noexcept;
    QString columnName(int column) const;
    // Booleans as bool, smallint and integer as int, bigint as qint64, everything else as text, NULL as
    // an invalid QVariant.
    QVariant value(int row, int column) const;
    // The type of a column's values (the server's type OID).
    unsigned columnType(int column) const noexcept;
    // The command tag ("INSERT 0 1", "COMMIT", ...).
    QString commandStatus() const;

private:
    pg_result* m_result;
};

} // namespace zav::pg
