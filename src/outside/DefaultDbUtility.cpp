#include "outside/DefaultDbUtility.h"

#include "store/Engine.h"

namespace zav::outside {

QString DefaultDbUtility::SqlQuote(const QString& text) {
    return QString(text).replace(QLatin1Char('\''), QStringLiteral("''"));
}

bool DefaultDbUtility::TableExists(store::Database& db, const QString& table) {
    return db.TableExists(table);
}

std::shared_ptr<DbUtility> makeDefaultDbUtility() {
    return std::make_shared<DefaultDbUtility>();
}

} // namespace zav::outside
