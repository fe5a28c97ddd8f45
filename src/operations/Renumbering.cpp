#include "operations/Renumbering.h"

#include "store/Schema.h"

namespace zav::manage {

namespace {
// Rank order: Booleans are stored as -1 / 0, so an ascending sort puts the level holding a right first.
const QString RankOrder = QStringLiteral(
    "Select ID from Levels order by ManageLevel,ManageOperator,DisShutDown,Desktop,NEnable desc,ID");
} // namespace

// Only levels off their place move, and all of them in one change of the ID values: each moved level
// carries its operators along once.
void RenumberWithin(store::Database& db) {
    std::vector<store::KeyChange> moves;
    auto ranked = db.OpenRecordset(RankOrder);
    if (!ranked->Eof()) {
        ranked->MoveFirst();
        for (int place = 0; !ranked->Eof(); ++place, ranked->MoveNext()) {
            const int id = ranked->Field(store::FieldID).toInt();
            if (id != place) {
                moves.push_back({id, place});
            }
        }
    }
    ranked->Close();
    if (!moves.empty()) {
        db.ChangeKeys(store::LevelsTable, store::FieldID, moves);
    }
}

} // namespace zav::manage
