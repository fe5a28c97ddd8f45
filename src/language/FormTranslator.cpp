#include "language/FormTranslator.h"

#include "language/TextReference.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QSet>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

namespace zav::language {

namespace {

// A page of a QTabWidget sits in the tab widget's inner stack.
QTabWidget* owningTabWidget(QWidget* page) {
    auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget());
    return stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
}

void translateCaption(QWidget* widget, short number, const TextSource& text) {
    if (auto* menu = qobject_cast<QMenu*>(widget)) {
        menu->setTitle(text(number, menu->title()));
    } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        box->setTitle(text(number, box->title()));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text(number, button->text()));
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text(number, label->text()));
    } else if (widget->isWindow()) {
        widget->setWindowTitle(text(number, widget->windowTitle()));
    } else if (QTabWidget* tabs = owningTabWidget(widget)) {
        const int index = tabs->indexOf(widget);
        tabs->setTabText(index, text(number, tabs->tabText(index)));
    }
}

QStringList headerTags(const QWidget* widget) {
    const QVariant tags = widget->property("HeaderTags");
    if (tags.typeId() == QMetaType::QString) {
        return tags.toString().split(u',');
    }
    return tags.toStringList();
}

void translateHeaders(QWidget* widget, const TextSource& text) {
    const QStringList tags = headerTags(widget);
    for (int column = 0; column < tags.size(); ++column) {
        const auto number = taggedTextNumber(tags[column].trimmed());
        if (!number) {
            continue;
        }
        if (auto* tree = qobject_cast<QTreeWidget*>(widget); tree && column < tree->columnCount()) {
            QTreeWidgetItem* header = tree->headerItem();
            header->setText(column, text(*number, header->text(column)));
        } else if (auto* table = qobject_cast<QTableWidget*>(widget);
                   table && column < table->columnCount()) {
            QTableWidgetItem* header = table->horizontalHeaderItem(column);
            const QString caption = header ? header->text() : QString::number(column + 1);
            if (!header) {
                header = new QTableWidgetItem;
                table->setHorizontalHeaderItem(column, header);
            }
            header->setText(text(*number, caption));
        }
    }
}

} // namespace

void translateForm(QWidget* form, const TextSource& text) {
    if (!form) {
        return;
    }
    QList<QWidget*> widgets = form->findChildren<QWidget*>();
    widgets.prepend(form);
    // Menu items belong to their menu, but an action may also be shared from elsewhere.
    QSet<QAction*> actions;
    for (QAction* action : form->findChildren<QAction*>()) {
        actions.insert(action);
    }
    for (QWidget* widget : widgets) {
        if (const auto number = taggedTextNumber(widget->property("Tag"))) {
            translateCaption(widget, *number, text);
        }
        translateHeaders(widget, text);
        for (QAction* action : widget->actions()) {
            actions.insert(action);
        }
    }
    for (QAction* action : actions) {
        if (const auto number = taggedTextNumber(action->property("Tag"))) {
            action->setText(text(*number, action->text()));
        }
    }
}

} // namespace zav::language
