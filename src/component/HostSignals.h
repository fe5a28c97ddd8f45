#pragma once

// Emitting a signal of the component: the host's slots run inside the emission, and an exception one of
// them throws must not undo or fail what the component has done already. It is written as a warning and
// dropped here.

#include <QtGlobal>
#include <exception>

namespace zav {

template <typename Emit> void TellHost(const char* signalName, Emit&& emitSignal) noexcept {
    try {
        emitSignal();
    } catch (const std::exception& error) {
        qWarning("ZAV_Login: a slot connected to %s threw (%s); ignored", signalName, error.what());
    } catch (...) {
        qWarning("ZAV_Login: a slot connected to %s threw; ignored", signalName);
    }
}

} // namespace zav
