#pragma once

// Saves pictures of widgets as PNG files into one folder and remembers what it wrote.

#include <QDir>
#include <QStringList>

class QWidget;

namespace zav::screenshots {

class Shooter {
public:
    explicit Shooter(const QDir& folder) : m_folder(folder) {}

    // Shows the widget when it is hidden, lets it lay itself out, and saves a picture of it as
    // `name`.png. Throws std::runtime_error when the file cannot be written.
    void save(QWidget& widget, const QString& name);

    const QStringList& written() const { return m_written; }

private:
    QDir m_folder;
    QStringList m_written;
};

} // namespace zav::screenshots
