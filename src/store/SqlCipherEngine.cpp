#include "store/SqlCipherEngine.h"

#include "store/CipherConnection.h"
#include "store/ConnectOptions.h"
#include "store/ErrorMapping.h"
#include "store/SqlCipherDatabase.h"

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
}

Engine& DefaultEngine() {
    static SqlCipherEngine sqlCipher;
    Engine* substitute = engineForTesting.load();
    return substitute ? *substitute : sqlCipher;
}

void SetEngineForTesting(Engine* engine) {
    engineForTesting.store(engine);
}

} // namespace zav::store
