#pragma once

// The real engine with faults on demand: a test makes every change of key values fail, and the engine
// raises the error the real one would raise for a refused write; the statements run are recorded.

#include "store/Engine.h"

#include <functional>

namespace zav::test {

class FaultyEngine : public store::Engine {
public:
    // Installs itself as the default engine; the destructor restores the real one.
    FaultyEngine();
    ~FaultyEngine() override;

    // Every change of key values fails.
    bool failKeyChanges = false;
    // Runs before every recordset opens, with its SQL text, and before every open, with its mode.
    std::function<void(const QString& sql)> beforeRecordset;
    std::function<void(store::OpenMode mode)> beforeOpen;
    // Key changes and statements seen so far.
    int keyChanges = 0;
    QStringList executed;

    std::unique_ptr<store::Database> OpenDatabase(const QString& path, store::OpenMode mode,
                                                  const QString& connect) override;
    std::unique_ptr<store::Database> CreateDatabase(const QString& path, const QString& locale) override;

    // Counts a key change, and throws when it is to fail.
    void onKeyChange();

private:
    store::Engine& m_real;
};

} // namespace zav::test
