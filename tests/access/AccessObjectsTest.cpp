// The guard in front of the management window: a level opens it only with a management right, always
// answers False, and fails with 91 when its rights are Nothing.

#include "access/DialogHooks.h"

#include <ZAV_PrjLogin/AutomationError.h>
#include <ZAV_PrjLogin/Class_Level.h>
#include <ZAV_PrjLogin/Class_LevelEnable.h>

#include <gtest/gtest.h>

namespace {

TEST(DialogGuards, ShowStructureOpensOnlyWithAManagementRightAndReturnsFalse) {
    std::vector<std::shared_ptr<Class_Level>> owners;
    zav::access::setManageWindowOpener(
        [&owners](const std::shared_ptr<Class_Level>& owner) { owners.push_back(owner); });
    auto level = Class_Level::create();
    EXPECT_FALSE(level->ShowStructure());
    EXPECT_TRUE(owners.empty());
    level->cLevelEnable()->setAllowManageOperator(true);
    EXPECT_FALSE(level->ShowStructure());
    level->cLevelEnable()->setAllowManageOperator(false);
    level->cLevelEnable()->setAllowManageLevel(true);
    EXPECT_FALSE(level->ShowStructure());
    EXPECT_EQ(owners, (std::vector<std::shared_ptr<Class_Level>>{level, level}));

    level->setcLevelEnable(nullptr); // a script host assigns Nothing
    try {
        level->ShowStructure();
        ADD_FAILURE() << "no error for a level without rights";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), 91);
    }
    EXPECT_EQ(owners.size(), 2u);
    zav::access::setManageWindowOpener(nullptr);
}

} // namespace
