#pragma once

#include <QString>

namespace zav::store {
class Database;
}

namespace zav::outside {

// Database helpers the component calls but does not contain.
class DbUtility {
public:
    virtual ~DbUtility() = default;
    // The name made safe to stand between two apostrophes in SQL text: the statement then selects,
    // updates or deletes exactly the row whose name equals the name before quoting.
    virtual QString SqlQuote(const QString& text) = 0;
    // True when the open database holds a table of that name.
    virtual bool TableExists(store::Database& db, const QString& table) = 0;
};

} // namespace zav::outside
