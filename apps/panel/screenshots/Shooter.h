#pragma once

// Saves pictures of widgets as PNG files into one folder and remembers what it wrote.

#include <QDir>
#include <QList>
#include <QStringList>
#include <functional>

class QWidget;

namespace zav::screenshots {

class Shooter {
public:
    // Called with every screen picture's name and windows before the picture is saved (a test checks
    // the windows there).
    using Inspector = std::function<void(const QString& name, const QList<QWidget*>& windows)>;

    explicit Shooter(const QDir& folder) : m_folder(folder) {}

    // Shows the widget when it is hidden, lets it lay itself out, and saves a picture of it as
    // `name`.png. Throws std::runtime_error when the file cannot be written.
    void save(QWidget& widget, const QString& name);

    // Shows the windows that are hidden, lets them settle, and saves a picture of the whole screen with
    // each window where it is, the first at the bottom.
    void saveScreen(const QList<QWidget*>& windows, const QString& name);

    void setInspector(Inspector inspector) { m_inspector = std::move(inspector); }

    const QStringList& written() const { return m_written; }

private:
    void write(const QImage& image, const QString& name);

    QDir m_folder;
    QStringList m_written;
    Inspector m_inspector;
};

} // namespace zav::screenshots
