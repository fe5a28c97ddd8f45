#pragma once

// Qt aborts when its platform cannot reach a display; the panel checks first and explains instead.

#include <QString>
#include <QStringList>

namespace zav::panel {

// False when the panel would need an X11 or Wayland display and none is set. A platform chosen
// explicitly (QT_QPA_PLATFORM or -platform, e.g. offscreen or eglfs) is trusted.
bool displayAvailable(const QStringList& arguments);

// What to do without a display.
QString noDisplayAdvice();

} // namespace zav::panel
