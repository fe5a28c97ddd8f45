#include "dialogs/ManageIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace zav::manage {

namespace {
constexpr int IconSize = 32;

QPixmap blankPixmap() {
    QPixmap pixmap(IconSize, IconSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QIcon standardIcon(QStyle::StandardPixmap which) {
    return QApplication::style()->standardIcon(which);
}
} // namespace

QIcon LevelIcon() {
    QPixmap pixmap = blankPixmap();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(20, 60, 120), 1));
    const QColor shades[] = {QColor(40, 110, 200), QColor(80, 150, 225), QColor(140, 190, 240)};
    for (int step = 0; step < 3; ++step) {
        const int inset = 3 + step * 5;
        painter.setBrush(shades[step]);
        painter.drawRoundedRect(QRectF(inset, 4 + step * 9, IconSize - 2 * inset, 7), 2, 2);
    }
    return QIcon(pixmap);
}

QIcon OperatorIcon() {
    QPixmap pixmap = blankPixmap();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(QColor(230, 180, 120));
    painter.drawEllipse(QRectF(10, 3, 12, 12));
    painter.setBrush(QColor(60, 130, 80));
    painter.drawRoundedRect(QRectF(5, 17, 22, 13), 6, 6);
    return QIcon(pixmap);
}

QIcon OkIcon() {
    return standardIcon(QStyle::SP_DialogApplyButton);
}
QIcon UndoIcon() {
    return standardIcon(QStyle::SP_DialogCancelButton);
}

} // namespace zav::manage
