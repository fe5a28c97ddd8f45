#pragma once

// Dialog geometry is designed in twips (left, top, width, height relative to the parent).

#include <unordered_map>

class QWidget;

namespace zav::manage {

// Places a widget by its designed twips.
void PlaceTwips(QWidget* widget, double left, double top, double width, double height);

struct TwipsRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// Keeps the twips of the widgets of a dialog that lays itself out at run time, so that the layout
// arithmetic works on the designed units and pixels follow from them.
class TwipsLayout {
public:
    void place(QWidget* widget, const TwipsRect& rect);
    // The twips last given for `widget` (all zero for a widget never placed).
    TwipsRect of(const QWidget* widget) const;
    void setTop(QWidget* widget, double top);
    void setHeight(QWidget* widget, double height);

private:
    std::unordered_map<const QWidget*, TwipsRect> m_rects;
};

} // namespace zav::manage
