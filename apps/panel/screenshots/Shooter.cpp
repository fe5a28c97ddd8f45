#include "Shooter.h"

#include <QApplication>
#include <QPixmap>
#include <QWidget>
#include <stdexcept>

namespace zav::screenshots {

void Shooter::save(QWidget& widget, const QString& name) {
    if (!widget.isVisible()) {
        widget.show();
    }
    // Layouts, list fills and style polish arrive as posted events.
    for (int i = 0; i < 3; ++i) {
        QApplication::processEvents();
    }
    const QString file = m_folder.filePath(name + QStringLiteral(".png"));
    if (!widget.grab().toImage().save(file, "PNG")) {
        throw std::runtime_error("cannot write " + file.toStdString());
    }
    m_written << file;
}

} // namespace zav::screenshots
