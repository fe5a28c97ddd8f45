#pragma once

// How the management window's list views carry the classic list-item key and tag.
//
// Both lists are QTreeWidgets with one column. Each item holds, in column 0:
// - ItemKeyRole: the item's key as text ("ID3" for level 3; the operator's name);
// - ItemTagRole: the item's tag; level items hold their level's ID as an int, operator items none;
// - ItemStoredNameRole: level items only, the level's stored name: the level the item means, whatever
//   number it has by the time the item is used.

#include <Qt>

namespace zav::manage {

inline constexpr int ItemKeyRole = Qt::UserRole;
inline constexpr int ItemTagRole = Qt::UserRole + 1;
inline constexpr int ItemStoredNameRole = Qt::UserRole + 2;

} // namespace zav::manage
