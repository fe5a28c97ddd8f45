#pragma once

// Rights as the command line and the documents name them: the four fixed rights by their column
// names, custom rights by number.

#include <ZAV_PrjLogin/Class_LevelEnable.h>

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace zav::admin {

struct FixedRight {
    const char* name;    // as the command line and tables write it: "ManageLevel"
    const char* jsonKey; // as the documents write it: "manageLevel"
    bool (Class_LevelEnable::*get)() const;
    void (Class_LevelEnable::*set)(bool);
};

// In rank order: ManageLevel outweighs ManageOperator, and so on.
extern const std::array<FixedRight, 4> FixedRights;

// Sets `rights` to exactly the rights the words name (every other right false). A word is a fixed
// right's name (any letter case), a custom right's number 1 to 100, a range "N-M", "all", or "none"
// alone; words may also be joined by commas. Throws UsageError for anything else or for no word.
void ParseRights(const QStringList& words, Class_LevelEnable& rights);

// The names of the fixed rights that are true, in rank order.
QStringList FixedRightNames(const Class_LevelEnable& rights);
// The numbers of the custom rights that are true, ascending.
std::vector<int> CustomRightNumbers(const Class_LevelEnable& rights);
// "1-5,7,32-34"; "" for none.
QString CompactNumbers(const std::vector<int>& ascending);

} // namespace zav::admin
