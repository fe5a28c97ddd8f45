#pragma once

// What the layers below the language layer show to the operator but cannot look up themselves: the
// on-screen keyboard's captions and letter rows, and the plain sentences for database errors. The
// component installs these when it is made.

#include "outside/KeyboardLayout.h"

#include <QString>

namespace zav::language {

// Texts 200-209 of the current language: the keyboard's captions and its letter rows.
outside::KeyboardLayout KeyboardLayoutOfLanguage();

// The current language's sentence for a database error number (3022 "This name exists already.", ...);
// empty for a number it has no sentence for, and when the language cannot be read. Never fails.
QString ErrorSentence(int number) noexcept;

// Registers both with the keyboard (outside) and the error reports (base).
void InstallLanguageHooks();

} // namespace zav::language
