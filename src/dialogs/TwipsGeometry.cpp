#include "dialogs/TwipsGeometry.h"

#include "base/Twips.h"

#include <QWidget>

namespace zav::manage {

void PlaceTwips(QWidget* widget, double left, double top, double width, double height) {
    widget->setGeometry(TwipsToPixelsX(left, widget), TwipsToPixelsY(top, widget),
                        TwipsToPixelsX(width, widget), TwipsToPixelsY(height, widget));
}

void TwipsLayout::place(QWidget* widget, const TwipsRect& rect) {
    m_rects[widget] = rect;
    PlaceTwips(widget, rect.left, rect.top, rect.width, rect.height);
}

TwipsRect TwipsLayout::of(const QWidget* widget) const {
    const auto found = m_rects.find(widget);
    return found == m_rects.end() ? TwipsRect{} : found->second;
}

void TwipsLayout::setTop(QWidget* widget, double top) {
    TwipsRect rect = of(widget);
    rect.top = top;
    place(widget, rect);
}

void TwipsLayout::setHeight(QWidget* widget, double height) {
    TwipsRect rect = of(widget);
    rect.height = height;
    place(widget, rect);
}

} // namespace zav::manage
