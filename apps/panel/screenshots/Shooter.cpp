#include "Shooter.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <stdexcept>

namespace zav::screenshots {

namespace {
void settle() {
    // Layouts, list fills and style polish arrive as posted events.
    for (int i = 0; i < 3; ++i) {
        QApplication::processEvents();
    }
}
} // namespace

void Shooter::write(const QImage& image, const QString& name) {
    const QString file = m_folder.filePath(name + QStringLiteral(".png"));
    if (!image.save(file, "PNG")) {
        throw std::runtime_error("cannot write " + file.toStdString());
    }
    m_written << file;
}

void Shooter::save(QWidget& widget, const QString& name) {
    if (!widget.isVisible()) {
        widget.show();
    }
    settle();
    write(widget.grab().toImage(), name);
}

void Shooter::saveScreen(const QList<QWidget*>& windows, const QString& name) {
    for (QWidget* window : windows) {
        if (!window->isVisible()) {
            window->show();
        }
    }
    settle();
    if (m_inspector) {
        m_inspector(name, windows);
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    QImage picture(screen->geometry().size(), QImage::Format_RGB32);
    picture.fill(QColor(0x2b, 0x33, 0x3b));
    QPainter painter(&picture);
    for (QWidget* window : windows) {
        painter.drawPixmap(window->geometry().topLeft() - screen->geometry().topLeft(), window->grab());
    }
    painter.end();
    write(picture, name);
}

} // namespace zav::screenshots
