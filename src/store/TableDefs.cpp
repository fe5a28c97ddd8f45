#include "store/DbError.h"
#include "store/Engine.h"

namespace zav::store {

const IndexDef* PrimaryIndexOf(const TableDef& table) {
    const IndexDef* primary = nullptr;
    for (const auto& index : table.indexes) {
        if (index.primary) {
            if (primary) {
                throw DbError(ErrEngine,
                              QStringLiteral("Table '%1' can have only one primary key.").arg(table.name));
            }
            primary = &index;
        }
    }
    return primary;
}

} // namespace zav::store
