#include "manage/Renumbering.h"

#include "store/Schema.h"

namespace zav::manage {

namespace {
// Gives the rows of `sql`, in their order, the IDs first, first + step, first + 2 * step, ...
void numberRows(store::Database& db, const QString& sql, int first, int step) {
    auto rs = db.OpenRecordset(sql);
    int counter = first;
    if (rs->RecordCount() != 0) {
        rs->MoveFirst();
        while (!rs->Eof()) {
            rs->Edit();
            rs->SetField(store::FieldID, counter);
            rs->Update();
            counter += step;
            rs->MoveNext();
        }
    }
    rs->Close();
}
} // namespace

void RenumberWithin(store::Database& db) {
    // Booleans are stored as -1 / 0, so an ascending sort puts the level holding a right first.
    numberRows(
        db,
        QStringLiteral(
            "Select * from Levels order by ManageLevel,ManageOperator,DisShutDown,Desktop,NEnable desc,ID"),
        -1, -1);
    numberRows(db, QStringLiteral("Select * from Levels order by ID desc"), 0, 1);
}

} // namespace zav::manage
