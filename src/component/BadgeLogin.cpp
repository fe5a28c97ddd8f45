#include "component/BadgeLogin.h"

#include "access/Class_Par.h"
#include "base/MessageBox.h"
#include "component/CredentialCheck.h"
#include "component/ModuleComponent.h"
#include "component/OfflineMode.h"
#include "dialogs/Frm_Pin.h"
#include "language/BadgeTexts.h"
#include "language/TextLookup.h"
#include "operations/Badges.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

namespace zav {

using language::BadgeText;
using language::BadgeTextOf;
using manage::BadgeOutcome;

namespace {
void warn(const QString& text) {
    MsgBox(text, vbExclamation, language::LookupText(17, QStringLiteral("Warning")));
}

QString panelLockedText(const QDateTime& until) {
    return until.isValid() ? BadgeTextOf(BadgeText::PanelLocked)
                                 .arg(until.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                           : BadgeTextOf(BadgeText::PanelLockedUntilUnlocked);
}
} // namespace

bool LoginWithBadge(const QString& reading) {
    // The key is read at every badge: a key given to the panel later counts at once.
    const manage::BadgeKey key = manage::ReadBadgeKey();
    OfflineMode& offline = OfflineOf(*RequireModuleComponent());
    const manage::CheckedBadge checked = offline.Use(OfflineMode::Purpose::Login, [&](const QString& path) {
        return manage::CheckBadge(
            path, reading, key, [](const QString& name) { return Frm_Pin::Ask(name); },
            [] { RequireCurrentLevel(); });
    });
    switch (checked.outcome) {
    case BadgeOutcome::Accepted: {
        manage::CheckedLogin opened;
        opened.verdict.outcome = CredentialOutcome::Accepted;
        opened.level = checked.level;
        opened.password = checked.password;
        opened.who = checked.who;
        AcceptCheckedLogin(opened);
        if (!offline.IsOffline()) {
            offline.RequestRefresh(); // the copy follows what the server holds now
        }
        return true;
    }
    case BadgeOutcome::Off:
        warn(BadgeTextOf(BadgeText::NotAvailable).arg(checked.why));
        return false;
    case BadgeOutcome::PinCancelled:
        return false;
    case BadgeOutcome::Unknown:
        warn(BadgeTextOf(BadgeText::Unknown));
        break;
    case BadgeOutcome::PanelLocked:
        warn(panelLockedText(checked.lockedUntil));
        break;
    case BadgeOutcome::LockedOut:
        warn(LockedOutMessage(checked.lockedUntil));
        break;
    case BadgeOutcome::WrongPin:
        warn(BadgeTextOf(BadgeText::WrongPin));
        break;
    }
    TellHostRefused(checked.operatorName, LoginModeOperator);
    return false;
}

} // namespace zav
