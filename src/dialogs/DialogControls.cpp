#include "dialogs/DialogControls.h"

#include "base/ReportedErrors.h"
#include "base/Twips.h"

#include <QDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
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

OkUndoRow MakeOkUndoRow(QWidget* parent, const std::function<void()>& ok, const std::function<void()>& undo) {
    OkUndoRow buttons{MakeOkUndoButtons(parent), new QHBoxLayout};
    buttons.row->addStretch();
    buttons.row->addWidget(buttons.ok);
    buttons.row->addWidget(buttons.undo);
    QObject::connect(buttons.ok, &QPushButton::clicked, parent, [ok] { RunReportingErrors(ok); });
    QObject::connect(buttons.undo, &QPushButton::clicked, parent, [undo] { RunReportingErrors(undo); });
    return buttons;
}

QLabel* MakeHeading(QWidget* parent, const QString& text) {
    auto* heading = new QLabel(text, parent);
    heading->setObjectName(QStringLiteral("Lbl_Heading"));
    heading->setTextFormat(Qt::PlainText);
    heading->setWordWrap(true);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    return heading;
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
