#include "store/SqlCipherEngine.h"

#include "store/CipherConnection.h"
#include "store/ConnectOptions.h"
#include "store/ErrorMapping.h"
#include "store/SqlCipherDatabase.h"
#include "store/server/PgEngine.h"
#include "store/server/ServerAddress.h"

#include <atomic>

namespace zav::store {

std::unique_ptr<Database> SqlCipherEngine::OpenDatabase(const QString& path, OpenMode mode,
                                                        const QString& connect) {
    return translatingErrors([&] {
        return std::make_unique<SqlCipherDatabase>(CipherConnection::open(path, mode, passwordOf(connect)));
    });
}

std::unique_ptr<Database> SqlCipherEngine::CreateDatabase(const QString& path, const QString& locale) {
    return translatingErrors([&] {
        return std::make_unique<SqlCipherDatabase>(CipherConnection::create(path, passwordOf(locale)));
    });
}

namespace {
std::atomic<Engine*> engineForTesting{nullptr};

// A server URI goes to the server engine, anything else is a file: callers never need to know which.
class ChosenByPath final : public Engine {
public:
    std::unique_ptr<Database> OpenDatabase(const QString& path, OpenMode mode,
                                           const QString& connect) override {
        return engineFor(path).OpenDatabase(path, mode, connect);
    }
    std::unique_ptr<Database> CreateDatabase(const QString& path, const QString& locale) override {
        return engineFor(path).CreateDatabase(path, locale);
    }

private:
    Engine& engineFor(const QString& path) {
        return pg::isServerPath(path) ? static_cast<Engine&>(m_server) : m_file;
    }
    SqlCipherEngine m_file;
    pg::PgEngine m_server;
};
} // namespace

Engine& DefaultEngine() {
    static ChosenByPath chosen;
    Engine* substitute = engineForTesting.load();
    return substitute ? *substitute : chosen;
}

void SetEngineForTesting(Engine* engine) {
    engineForTesting.store(engine);
}

} // namespace zav::store
