#pragma once

// Levels and operators that make the pictures look like a machine in use.

#include <QString>

namespace zav::screenshots {

// Adds the levels "Service" (may manage operators, some custom rights) and "Guest" (no rights) below the
// built-in ones, and the operators anna and ben (Service) and carla (Guest), all without passwords.
void addSampleData(const QString& dbPath);

inline const QString SampleOperator = QStringLiteral("anna");
inline const QString SampleLevel = QStringLiteral("Service");

} // namespace zav::screenshots
