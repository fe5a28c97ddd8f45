#pragma once

// What the layers below the language layer show to the operator but cannot look up themselves: the
// on-screen keyboard's captions and letter rows, the plain sentences for database errors, and the
// captions of the message boxes' buttons. The
// component installs these when it is made.

#include "outside/KeyboardLayout.h"

#include <QString>

namespace zav::language {

// Texts 200-209 of the current language: the keyboard's captions and its letter rows.
outside::KeyboardLayout KeyboardLayoutOfLanguage();

// The current language's sentence for a database error number (3022 "This name exists already.", ...);
// empty for a number it has no sentence for, and when the language cannot be read. Never fails.
QString ErrorSentence(int number) noexcept;

// The current language's caption of a message box button by answer (vbOK, vbYes, vbNo: texts 251-253);
// empty when the language cannot be read. Never fails.
QString MessageButtonCaption(int answer) noexcept;

// Registers them with the keyboard (outside), the error reports and the message boxes (base).
void InstallLanguageHooks();

} // namespace zav::language
