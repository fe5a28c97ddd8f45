#pragma once

// What makes a dialog usable by finger on a small operator panel: the smallest size a finger can hit, the
// look of an industrial panel in touch-screen mode, and keeping a window on a screen smaller than its
// designed size. On a screen large enough, with touch-screen mode off, none of this changes a dialog.

#include <QRect>
#include <QString>

class QDialog;
class QWidget;

namespace zav {

// Millimetres a finger needs: rows, menu items, check boxes and buttons are at least this high in
// touch-screen mode.
inline constexpr double TouchTargetMillimetres = 9.0;

// The touch target in pixels at the logical resolution of the widget's screen.
int TouchTargetPixels(const QWidget* context = nullptr);

// Whether this thread's component is in touch-screen mode.
bool TouchMode();

// The panel look: large type, touch-sized rows, menu items, check boxes, option buttons, scroll bars and
// buttons, and a clearly pressed state.
QString PanelStyleSheet(const QWidget* context = nullptr);

// In touch-screen mode, gives `window` (and the pop-ups and children it owns) the panel look; does
// nothing otherwise.
void ApplyPanelLook(QWidget* window);

// In touch-screen mode, gives a button placed by twips whose caption (in a longer language) is wider than
// the button smaller type, down to two thirds of the panel's. Buttons in layouts take the width they need.
void FitCaptions(QWidget* window);

// The part of the screen a window of `context` may use (without task bars and docks).
QRect AvailableScreenArea(const QWidget* context);

// The room a window manager adds around a window's client area (title bar, borders): none on full-screen
// platforms without window frames (eglfs, linuxfb, ...), the measured frame of a shown window, else an
// estimate from the style.
QSize WindowFrameExtra(const QWidget* window);

// The largest client area `window` can have on its screen: the available area less the window's frame
// (empty when there is no screen).
QSize ClientRoom(const QWidget* window);

// When the window with its frame does not fit the available screen, its content moves into a scroll
// area and the window shrinks to the screen; in every case it is moved wholly onto the screen. A window
// that fits keeps its size, its position when it lies on the screen, and its controls where they were.
void KeepOnScreen(QWidget* window);

} // namespace zav

namespace zav {

// Gives every control of `window` that has none an accessible name, so that a screen reader and an
// automated UI test find it by what it says: a button or check box by its caption, a text box by its
// placeholder or the label that names it, a list by its column header, the rest by the control's name.
// Run after the window is translated.
void NameForAccessibility(QWidget* window);

} // namespace zav
