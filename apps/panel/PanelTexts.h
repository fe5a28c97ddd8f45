#pragma once

// The demo panel's own words in the languages the component ships. A host brings its own texts: the
// component's language files hold the component's. The panel follows the component's current language;
// a language of a language file that the panel has no words for shows them in English.

#include <QString>

namespace zav::panel {

enum class PanelText {
    WindowTitle,
    FirstRun, // %1 database path, %2 the name of level 1 (rich text)
    LoginState,
    RightsOfLevel,
    Language,
    LoginByOperator,
    LoginByLevel,
    Logout,
    Manage,
    ChangePassword,
    Quit,
    Operator, // %1
    NoOperator,
    Level, // %1 name, %2 ID
    LogoutLevelNobody,
    LogoutLevelChanged, // %1 ID
    LogoutLevelYes,
    LogoutLevelNo,
    NoOperatorShown,
    NoLevelShown,
    Terminated,
    NotOpened,
    Error,     // %1 number, %2 description
    ErrorText, // %1 description
    LoggedIn,
    LoginCancelled,
    LoggedOut,
    ManagementClosed,
    PasswordChanged,
    PasswordNotChanged,
    ManageLevelsRight,
    ManageOperatorsRight,
    ShutDownRight,
    DesktopRight,
    LogoutLevelUnreadable, // %1 the error
    Offline,
};

// The text in `language` (any of its names, as CurrentLanguage gives it), else in English.
QString panelText(PanelText text, const QString& language);

} // namespace zav::panel
