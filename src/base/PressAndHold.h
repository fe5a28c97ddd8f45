#pragma once

// Press-and-hold, the finger's right click: a finger, or the left mouse button of a panel that sends
// mouse events only, resting on a widget for a moment opens what a right click would.

#include <QPoint>
#include <functional>

class QWidget;

namespace zav {

// How long a press has to rest before it counts as press-and-hold.
inline constexpr int PressAndHoldMilliseconds = 800;

// Calls `onHold` with the global position of the press once a finger or the left mouse button has rested
// on `widget` (a list's viewport, say) for PressAndHoldMilliseconds. Moving further than the platform's
// drag distance, or releasing, cancels it. Once it has fired, the release that follows is kept from the
// widget, so it does not act as a click. Taps still reach the widget as clicks: the touch events are left
// unaccepted, so Qt turns them into mouse events; a touch that Qt delivers as a double click reaches the
// widget as the press it is. What `onHold` throws is reported, never passed on.
void OpenOnPressAndHold(QWidget* widget, std::function<void(QPoint globalPos)> onHold);

} // namespace zav
