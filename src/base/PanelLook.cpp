#include "base/PanelLook.h"

#include "base/Mod_Globali.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace zav {

namespace {
constexpr double MillimetresPerInch = 25.4;
// Type on a panel: a little under half the touch target, and never smaller than a control's own.
constexpr double TypeShareOfTarget = 0.45;
const char* const ScrollAreaName = "PanelScroll";

const QScreen* screenOf(const QWidget* context) {
    if (context && context->screen()) {
        return context->screen();
    }
    return QGuiApplication::primaryScreen();
}

int typePixels(const QWidget* context) {
    return static_cast<int>(std::lround(TouchTargetPixels(context) * TypeShareOfTarget));
}

// Children that chose their own font keep their choice where it is larger than the panel's type.
void enlargeType(QWidget* widget, int pixels) {
    QFont font = widget->font();
    const int current = font.pixelSize() > 0
                            ? font.pixelSize()
                            : static_cast<int>(std::lround(font.pointSizeF() * widget->logicalDpiY() / 72.0));
    if (current < pixels) {
        font.setPixelSize(pixels);
        widget->setFont(font);
    }
}

// A button keeps its designed width: a caption longer than it has room for (a longer language) gets
// smaller type, down to the smallest that still reads well.
void fitCaption(QPushButton* button, int type) {
    button->ensurePolished();
    QFont font = button->font();
    for (int pixels = type; pixels > type * 2 / 3 && button->sizeHint().width() > button->width(); --pixels) {
        font.setPixelSize(pixels - 1);
        button->setFont(font);
    }
}

// Moves the client area of a window whose controls are placed by position into a scroll area of at most
// `room`.
void scrollContent(QWidget* window, QSize room) {
    const QSize designed = window->size();
    auto* area = new QScrollArea(window);
    area->setObjectName(QLatin1String(ScrollAreaName));
    area->setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("PanelContent"));
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child == area || child->isWindow()) {
            continue;
        }
        const bool hidden = child->isHidden();
        const QRect place = child->geometry();
        child->setParent(content);
        child->setGeometry(place);
        child->setVisible(!hidden);
    }
    content->setFixedSize(designed);
    area->setWidget(content);

    const int bar = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
    const int barV = std::max(bar, area->verticalScrollBar()->sizeHint().width());
    const int barH = std::max(bar, area->horizontalScrollBar()->sizeHint().height());
    const bool needV = designed.height() > room.height();
    const int width = std::min(designed.width() + (needV ? barV : 0), room.width());
    const bool needH = designed.width() > width - (needV ? barV : 0);
    const int height = std::min(designed.height() + (needH ? barH : 0), room.height());
    window->setMinimumSize(0, 0);
    window->setFixedSize(width, height);
    area->setGeometry(0, 0, width, height);
    area->show();
}
} // namespace

int TouchTargetPixels(const QWidget* context) {
    const QScreen* screen = screenOf(context);
    const double dpi = context ? context->logicalDpiY() : (screen ? screen->logicalDotsPerInchY() : 96.0);
    return static_cast<int>(std::ceil(TouchTargetMillimetres * dpi / MillimetresPerInch));
}

bool TouchMode() {
    return Mod_Globali().touchScreen;
}

QString PanelStyleSheet(const QWidget* context) {
    const int target = TouchTargetPixels(context);
    const int type = typePixels(context);
    const int indicator = target * 4 / 5;
    return QStringLiteral(
               "QPushButton { min-height: %1px; min-width: %1px; padding: 2px 6px; font-weight: bold;"
               " border: 2px solid #3a3a3a; border-radius: 5px; background: #e6e6e6; color: #101010; }"
               "QPushButton:focus { border-color: #1c57b5; }"
               "QPushButton:pressed, QPushButton:checked { background: #1c57b5; color: white;"
               " border-color: #0d2f66; }"
               "QPushButton:disabled { background: #f2f2f2; color: #8a8a8a; border-color: #b0b0b0; }"
               "QCheckBox, QRadioButton { min-height: %1px; spacing: 8px; }"
               "QCheckBox::indicator, QRadioButton::indicator { width: %3px; height: %3px; }"
               "QLineEdit, QComboBox { min-height: %1px; }"
               "QTreeView::item, QListView::item, QComboBox QAbstractItemView::item { min-height: %1px; }"
               "QMenu { font-size: %2px; border: 2px solid #3a3a3a; }"
               "QMenu::item { min-height: %1px; padding: 0px 24px 0px 16px; }"
               "QMenu::item:selected { background: #1c57b5; color: white; }"
               "QMenu::item:disabled { color: #8a8a8a; }"
               "QMenu::separator { height: 2px; background: #b0b0b0; margin: 4px 0px; }"
               // A scroll bar takes a size from the sheet only when the sheet draws all of it.
               "QScrollBar { background: #d6d6d6; border: none; margin: 0px; }"
               "QScrollBar:vertical { width: %1px; } QScrollBar:horizontal { height: %1px; }"
               "QScrollBar::handle { background: #6e6e6e; border-radius: 4px; margin: 4px;"
               " min-height: %1px; min-width: %1px; }"
               "QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; border: none; }"
               "QScrollBar::add-page, QScrollBar::sub-page { background: none; }")
        .arg(target)
        .arg(type)
        .arg(indicator);
}

void ApplyPanelLook(QWidget* window) {
    if (!window || !TouchMode()) {
        return;
    }
    const int type = typePixels(window);
    enlargeType(window, type);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        enlargeType(child, type);
    }
    window->setStyleSheet(PanelStyleSheet(window));
    window->ensurePolished(); // the touch sizes apply now, for the arithmetic of the dialog's layout
}

void FitCaptions(QWidget* window) {
    if (!window || !TouchMode()) {
        return;
    }
    const int type = typePixels(window);
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        fitCaption(button, type);
    }
}

QRect AvailableScreenArea(const QWidget* context) {
    const QScreen* screen = screenOf(context);
    return screen ? screen->availableGeometry() : QRect();
}

QSize WindowFrameExtra(const QWidget* window) {
    // Full-screen panel platforms draw no window frames at all.
    static const QStringList undecorated = {QStringLiteral("eglfs"), QStringLiteral("linuxfb"),
                                            QStringLiteral("minimal"), QStringLiteral("minimalegl"),
                                            QStringLiteral("vnc")};
    if (undecorated.contains(QGuiApplication::platformName())) {
        return {0, 0};
    }
    if (window->testAttribute(Qt::WA_WState_Created) && window->isVisible()) {
        const QSize extra = window->frameGeometry().size() - window->size();
        if (!extra.isEmpty()) {
            return extra;
        }
    }
    if (window->windowFlags().testFlag(Qt::FramelessWindowHint) ||
        (window->windowFlags() & Qt::WindowType_Mask) == Qt::Popup) {
        return {0, 0};
    }
    // Not mapped yet: a title bar and thin borders, as most window managers draw them.
    const int border = window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, window);
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return {2 * border, title + 2 * border};
}

QSize ClientRoom(const QWidget* window) {
    const QRect area = AvailableScreenArea(window);
    return area.isEmpty() ? QSize() : area.size() - WindowFrameExtra(window);
}

void KeepOnScreen(QWidget* window) {
    if (!window) {
        return;
    }
    const QRect area = AvailableScreenArea(window);
    if (area.isEmpty()) {
        return;
    }
    const QSize extra = WindowFrameExtra(window);
    const QSize room = ClientRoom(window);
    const bool tooLarge = window->width() > room.width() || window->height() > room.height();
    if (tooLarge && !window->layout() && !window->findChild<QScrollArea*>(QLatin1String(ScrollAreaName))) {
        scrollContent(window, room);
    } else if (tooLarge) {
        window->setMaximumSize(room);
        window->resize(window->size().boundedTo(room));
    }
    const QSize outer = window->size() + extra;
    const int x =
        std::clamp(window->x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width()));
    const int y =
        std::clamp(window->y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height()));
    window->move(x, y);
}

} // namespace zav
