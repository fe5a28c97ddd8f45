#pragma once

// The on-screen keyboard call behind every name and password box of the dialogs.

class QLineEdit;

namespace zav {

// The click handler of a name or password box: in touch-screen mode, and only while the box accepts
// input, a new keyboard instance is created, shown for the box and released right after. When no keyboard
// can be made or it fails, nothing more happens: the box stays usable with a physical keyboard.
void OfferScreenKeyboard(QLineEdit* box);

// Gives the box that click handler: releasing the left mouse button (or a tap) over it offers the
// keyboard once the click has been handled. Installing it twice on one box has no further effect.
void OfferKeyboardOnClick(QLineEdit* box);

} // namespace zav
