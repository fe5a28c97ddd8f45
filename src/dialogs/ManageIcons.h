#pragma once

// The pictures of the management windows, drawn in code so that the library carries no image files.

#include <QIcon>

namespace zav::manage {

QIcon LevelIcon();    // a stack of bars: an access level
QIcon OperatorIcon(); // a head and shoulders: a user
QIcon OkIcon();
QIcon UndoIcon();

} // namespace zav::manage
