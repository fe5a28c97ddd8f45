#include "SampleData.h"

#include "operations/CredentialDatabase.h"

namespace zav::screenshots {

void addSampleData(const QString& dbPath) {
    const int service = manage::AddLevel(dbPath, SampleLevel);
    manage::AddLevel(dbPath, QStringLiteral("Guest"));

    auto rights = Class_LevelEnable::create();
    rights->setAllowManageOperator(true);
    rights->setDisShutDown(true);
    for (int custom : {1, 2, 4}) {
        rights->setAllowCustom(custom, true);
    }
    manage::StoreLevelRights(dbPath, service, SampleLevel, *rights);

    // Storing rights renumbers the levels: look the IDs up again.
    int serviceId = -1;
    int guestId = -1;
    manage::ForEachLevelBelow(
        dbPath, 1, [&](int id, const QString& name) { (name == SampleLevel ? serviceId : guestId) = id; });
    manage::AddOperator(dbPath, serviceId, SampleOperator);
    manage::AddOperator(dbPath, serviceId, QStringLiteral("ben"));
    manage::AddOperator(dbPath, guestId, QStringLiteral("carla"));
}

} // namespace zav::screenshots
