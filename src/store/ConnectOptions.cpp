#include "store/ConnectOptions.h"

#include <QList>

namespace zav::store {

QString passwordOf(const QString& connect) {
    const auto parts = QStringView(connect).split(u';');
    for (const auto part : parts) {
        const auto equals = part.indexOf(u'=');
        if (equals >= 0 && part.left(equals).trimmed().compare(u"pwd", Qt::CaseInsensitive) == 0) {
            return part.mid(equals + 1).toString();
        }
    }
    return {};
}

} // namespace zav::store
