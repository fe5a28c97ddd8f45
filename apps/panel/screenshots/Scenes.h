#pragma once

// The pictures of the documentation: the panel (first run and in use) and every dialog of the
// component, each shown in a state a user would meet.

#include "PanelWindow.h"

#include <QString>
#include <memory>

namespace zav::screenshots {

class Shooter;

class Scenes {
public:
    // `workFolder` receives the credential databases the scenes use.
    Scenes(Shooter& shooter, const QString& workFolder);
    ~Scenes();

    void renderAll();

private:
    panel::PanelOptions optionsFor(const QString& name) const;
    void panelFirstRun();
    void panelInUse();
    void loginDialogs();
    void changePasswordDialog();
    void manageWindow();
    void nameDialog();
    void levelModifyDialog();
    void keyboards();
    void badgeDialogs();

    Shooter& m_shooter;
    QString m_workFolder;
    // The panel whose component the dialogs work for.
    std::unique_ptr<panel::PanelWindow> m_panel;
};

} // namespace zav::screenshots
