#pragma once

// Records the message boxes, pop-up menus and other dialogs a window shows; boxes and menus are closed
// at once, so a test runs through the code that shows them.

#include <QList>
#include <QMap>
#include <QMessageBox>
#include <QObject>
#include <QString>

namespace zav::test {

struct ShownMessage {
    QString text;
    QString title;
};

struct ShownMenu {
    QString name;
    bool menuEnabled = false;         // the menu's own enabled state
    QMap<QString, bool> itemsEnabled; // by action name, separators left out
};

class PopupCatcher : public QObject {
public:
    PopupCatcher();
    ~PopupCatcher() override;

    QList<ShownMessage> messages;
    QList<ShownMenu> menus;
    // Other dialogs as they appear (left open), by object name.
    QStringList dialogs;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace zav::test
