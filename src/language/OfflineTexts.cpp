#include "language/OfflineTexts.h"

#include "language/TextLookup.h"

namespace zav::language {

QString OfflineChangeRefused() {
    return LookupText(300,
                      QStringLiteral("The server cannot be reached: this panel logs in from its local copy "
                                     "of the logins, and nothing can be changed until the server is back."));
}

QString OfflineCopyTooOld(const QDateTime& refreshed, int days) {
    return LookupText(301,
                      QStringLiteral("The server cannot be reached, and this panel's copy of the logins was "
                                     "last refreshed on %1, more than %2 days ago: logins are refused until "
                                     "the server is back."))
        .arg(refreshed.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")))
        .arg(days);
}

QString OfflineNoCopy() {
    return LookupText(302, QStringLiteral("The server cannot be reached, and this panel holds no copy of its "
                                          "logins yet: logins are refused until the server is back."));
}

} // namespace zav::language
