#include "manage/Renumbering.h"

#include "store/Schema.h"

namespace zav::manage {

namespace {
// Rank order: Booleans are stored as -1 / 0, so an ascending sort puts the level holding a right first.
const QString RankOrder = QStringLiteral(
    "Select * from Levels order by ManageLevel,ManageOperator,DisShutDown,Desktop,NEnable desc,ID");

// Gives the current row of `rs` the ID `id`.
void setId(store::Recordset& rs, int id) {
    rs.Edit();
    rs.SetField(store::FieldID, id);
    rs.Update();
}
} // namespace

// A level that already carries its place keeps it: every row written costs a cascade over its
// operators, and the outcome is the same as moving all of them.
void RenumberWithin(store::Database& db) {
    // Pass 1: in rank order, a level off its place k goes to -(k + 1).
    auto ranked = db.OpenRecordset(RankOrder);
    if (ranked->RecordCount() != 0) {
        ranked->MoveFirst();
        for (int place = 0; !ranked->Eof(); ++place, ranked->MoveNext()) {
            if (ranked->Field(store::FieldID).toInt() != place) {
                setId(*ranked, -(place + 1));
            }
        }
    }
    ranked->Close();
    // Pass 2: read back by descending ID the moved levels come last as -1, -2, ... and take 0, 1, ...
    auto moved = db.OpenRecordset(QStringLiteral("Select * from Levels order by ID desc"));
    if (moved->RecordCount() != 0) {
        moved->MoveFirst();
        for (; !moved->Eof(); moved->MoveNext()) {
            const int id = moved->Field(store::FieldID).toInt();
            if (id < 0) {
                setId(*moved, -id - 1);
            }
        }
    }
    moved->Close();
}

} // namespace zav::manage
