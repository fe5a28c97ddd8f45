#include "DatabaseFacts.h"

namespace zav::panel {

DatabaseFacts readDatabaseFacts(const QString& dbPath) {
    return {ReadCredentialFacts(dbPath)};
}

} // namespace zav::panel
