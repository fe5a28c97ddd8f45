#pragma once

// Catch the real message boxes and pop-up menus a window shows: each one is recorded as it appears
// and closed at once (other dialogs are only recorded), so a test runs through the code that shows them and
// checks what was shown.

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
