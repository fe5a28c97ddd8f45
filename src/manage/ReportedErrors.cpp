#include "manage/ReportedErrors.h"

#include <ZAV_PrjLogin/AutomationError.h>

namespace zav::manage {

QString ErrorDescription(const std::exception& error) {
    if (const auto* automation = dynamic_cast<const AutomationError*>(&error)) {
        return automation->Description();
    }
    return QString::fromLocal8Bit(error.what());
}

void ShowError(const std::exception& error, const QString& title) {
    MsgBox(ErrorDescription(error), vbExclamation, title);
}

void RunReportingErrors(const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& error) {
        try {
            ShowError(error);
        } catch (...) {
            // nothing left to report with
        }
    } catch (...) {
        // an error of unknown kind: nothing to show
    }
}

} // namespace zav::manage
