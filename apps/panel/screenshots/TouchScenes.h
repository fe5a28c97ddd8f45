#pragma once

// The dialogs as an operator meets them on a touch panel: touch-screen mode, the screen this process
// runs on, the chosen language, the on-screen keyboard and the pop-up menus open where they open. Each
// picture is the whole screen with the windows where they are.

#include <QString>
#include <memory>

class ZAV_Login;

namespace zav::screenshots {

class Shooter;

class TouchScenes {
public:
    // The number of custom rights the rights dialog shows: every one a host may have.
    static constexpr int CustomRights = 100;

    // `workFolder` receives the credential database; `language` is one of the component's languages.
    // With `touchScreen` false the same scenes show the dialogs as a mouse user meets them.
    TouchScenes(Shooter& shooter, const QString& workFolder, const QString& language,
                bool touchScreen = true);
    ~TouchScenes();

    // Renders every scene; names start with `prefix`.
    void renderAll(const QString& prefix);

private:
    void loginDialogs();
    void changePasswordDialog();
    void manageWindow();
    void nameDialog();
    void levelModifyDialog();
    void autoLogoutWarning();
    void signatureDialogs();
    void badgeDialogs();

    Shooter& m_shooter;
    QString m_prefix;
    std::shared_ptr<ZAV_Login> m_login;
};

} // namespace zav::screenshots
