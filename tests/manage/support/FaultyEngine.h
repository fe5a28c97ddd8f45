#pragma once

// The real engine with faults on demand: a test names the regular update (counted across every
// recordset from the moment the engine is installed) or the action statement that fails, and the
// engine raises the error the real one would raise for a refused write.

#include "store/Engine.h"

namespace zav::test {

class FaultyEngine : public store::Engine {
public:
    // Installs itself as the default engine; the destructor restores the real one.
    FaultyEngine();
    ~FaultyEngine() override;

    // The n-th regular update fails (1 = the next one); 0 = none.
    int failUpdateAt = 0;
    // An action statement whose text contains this fails; empty = none.
    QString failExecuteContaining;
    // Updates and statements seen so far.
    int updates = 0;
    QStringList executed;

    std::unique_ptr<store::Database> OpenDatabase(const QString& path, store::OpenMode mode,
                                                  const QString& connect) override;
    std::unique_ptr<store::Database> CreateDatabase(const QString& path, const QString& locale) override;

    // Counts an update; throws when it is the one that fails.
    void onUpdate();
    void onExecute(const QString& sql);

private:
    store::Engine& m_real;
};

} // namespace zav::test
