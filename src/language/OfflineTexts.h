#pragma once

// What a panel of a server database says, in the current language, while the server cannot be reached and
// it works from its local copy of the logins.

#include <QDateTime>
#include <QString>

namespace zav::language {

// Instead of the management window, the password dialog or a caption written.
QString OfflineChangeRefused();
// A login refused because the copy was last refreshed at `refreshed` (UTC), more than `days` ago.
QString OfflineCopyTooOld(const QDateTime& refreshed, int days);
// A login refused because the panel could not make its copy before the server went.
QString OfflineNoCopy();

} // namespace zav::language
