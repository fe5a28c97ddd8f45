#pragma once

// A transaction that rolls back unless committed. Built on a savepoint, so it nests inside a
// transaction the caller already runs.

#include "store/SqliteDatabase.h"

namespace zav::sqlite {

class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Database& m_db;
    bool m_done = false;
};

} // namespace zav::sqlite
