#pragma once

namespace zav::dialogs {

// Makes the management window and the change-password dialog the ones the access objects open.
// The component calls it when it is made; calling it again changes nothing.
void InstallDialogs();

} // namespace zav::dialogs
