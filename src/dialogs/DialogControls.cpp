#include "dialogs/DialogControls.h"

#include "base/Twips.h"

#include <QDialog>
#include <QGuiApplication>
#include <QIcon>
#include <QPushButton>
#include <QScreen>

namespace zav::manage {

void NameControl(QWidget* control, const QString& name, const QString& tag) {
    control->setObjectName(name);
    if (!tag.isEmpty()) {
        control->setProperty("Tag", tag);
    }
}

OkUndoButtons MakeOkUndoButtons(QWidget* parent) {
    const OkUndoButtons buttons{new QPushButton(QStringLiteral("Ok"), parent),
                                new QPushButton(QStringLiteral("Undo"), parent)};
    NameControl(buttons.ok, QStringLiteral("Cmd_Ok"), QStringLiteral("194"));
    NameControl(buttons.undo, QStringLiteral("Cmd_Undo"), QStringLiteral("|126"));
    for (QPushButton* button : {buttons.ok, buttons.undo}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    return buttons;
}

QPushButton* MakeIconButton(QWidget* parent, const QString& name, const QString& caption, const QString& tag,
                            const QIcon& icon) {
    auto* button = new QPushButton(icon, caption, parent);
    NameControl(button, name, tag);
    QFont font = button->font();
    font.setBold(true);
    button->setFont(font);
    button->setIconSize(QSize(24, 24));
    return button;
}

void FixDialogSize(QDialog* dialog, double widthTwips, double heightTwips, bool toolWindow) {
    Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                            Qt::MSWindowsFixedSizeDialogHint;
    flags |= toolWindow ? Qt::Tool : Qt::Dialog;
    dialog->setWindowFlags(flags);
    dialog->setFixedSize(TwipsToPixelsX(widthTwips, dialog), TwipsToPixelsY(heightTwips, dialog));
}

void CentreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const QRect area = screen->geometry();
    window->move(area.x() + (area.width() - window->width()) / 2,
                 area.y() + (area.height() - window->height()) / 2);
}

} // namespace zav::manage
