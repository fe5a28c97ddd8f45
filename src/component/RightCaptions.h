#pragma once

// The captions of the four fixed rights: where the profile keeps each, the built-in caption a host reads
// while none is stored, and the language text the rights dialog shows in place of that built-in caption.
// What a host reads never changes with the language; only what the operator sees does.

#include <QString>

namespace zav {

struct RightCaption {
    const char* key;
    const char* builtIn;
    short textNumber;
};

inline constexpr RightCaption ManageLevelCaption{"ML", "Allow Manage Levels", 210};
inline constexpr RightCaption ManageOperatorCaption{"MO", "Allow Manage Operators", 211};
inline constexpr RightCaption ShutDownCaption{"SD", "Automatic shut down", 212};
inline constexpr RightCaption DesktopCaption{"AD", "Show Desktop", 213};

// The caption as the operator sees it: the current language's text where `value` is the built-in caption
// (stored or not), else `value` as the host or profile gave it.
QString ShownCaption(const RightCaption& caption, const QString& value) noexcept;

} // namespace zav
