#include "base/ReportedErrors.h"

namespace zav {

AutomationError ObjectNotSetError() {
    return AutomationError(ErrObjectVariableNotSet,
                           QStringLiteral("Object variable or With block variable not set"));
}

QString ErrorDescription(const std::exception& error) {
    if (const auto* automation = dynamic_cast<const AutomationError*>(&error)) {
        return automation->Description();
    }
    return QString::fromLocal8Bit(error.what());
}

void ShowError(const std::exception& error, const QString& title) {
    MsgBox(ErrorDescription(error), vbExclamation, title);
}

bool RunReportingErrors(const std::function<void()>& handler, const QString& title) noexcept {
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        try {
            ShowError(error, title);
        } catch (...) {
            // nothing left to report with
        }
    } catch (...) {
        // an error of unknown kind: nothing to show
    }
    return false;
}

} // namespace zav
