#include "base/ReportedErrors.h"

#include <atomic>

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

namespace {
std::atomic<ErrorSentenceSource> sentenceSource{nullptr};
} // namespace

void setErrorSentenceSource(ErrorSentenceSource source) {
    sentenceSource.store(source);
}

QString OperatorErrorText(const std::exception& error) {
    const auto* automation = dynamic_cast<const AutomationError*>(&error);
    const ErrorSentenceSource source = sentenceSource.load();
    if (automation && source) {
        QString sentence = source(automation->Number());
        if (!sentence.isEmpty()) {
            qWarning("Error %d: %s", automation->Number(), qUtf8Printable(automation->Description()));
            return sentence;
        }
    }
    return ErrorDescription(error);
}

void ShowError(const std::exception& error, const QString& title) {
    MsgBox(OperatorErrorText(error), vbExclamation, title);
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
