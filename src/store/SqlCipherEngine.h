#pragma once

#include "store/Engine.h"

namespace zav::store {

// The default engine: database files encrypted by SQLCipher. The connect string's password keys
// the file; an empty password opens or creates an unprotected file (tests and benchmarks).
class SqlCipherEngine final : public Engine {
public:
    std::unique_ptr<Database> OpenDatabase(const QString& path, OpenMode mode,
                                           const QString& connect) override;
    std::unique_ptr<Database> CreateDatabase(const QString& path, const QString& locale) override;
};

} // namespace zav::store
