#pragma once

#include "outside/DbUtility.h"

#include <memory>

namespace zav::outside {

// The database helpers as the component uses them: quoting a name for SQL text, and asking the
// open database for a table.
class DefaultDbUtility final : public DbUtility {
public:
    // Doubles every apostrophe: between two apostrophes the text then stands for itself.
    QString SqlQuote(const QString& text) override;
    bool TableExists(store::Database& db, const QString& table) override;
};

std::shared_ptr<DbUtility> makeDefaultDbUtility();

} // namespace zav::outside
