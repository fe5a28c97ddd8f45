#include "base/PanelLook.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

namespace zav {

namespace {
QString labelFor(const QWidget* control, const QWidget* window) {
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->buddy() == control && !label->text().isEmpty()) {
            return label->text();
        }
    }
    return {};
}

QString nameFor(const QWidget* w, const QWidget* window) {
    QString name;
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        name = button->text().remove(u'&');
    } else if (const auto* box = qobject_cast<const QLineEdit*>(w)) {
        name = box->placeholderText().isEmpty() ? labelFor(w, window) : box->placeholderText();
    } else if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
        name = combo->placeholderText().isEmpty() ? labelFor(w, window) : combo->placeholderText();
    } else if (const auto* list = qobject_cast<const QTreeWidget*>(w)) {
        name = list->headerItem()->text(0);
    } else if (const auto* frame = qobject_cast<const QGroupBox*>(w)) {
        name = frame->title();
    } else if (const auto* label = qobject_cast<const QLabel*>(w)) {
        name = label->text();
    }
    return name.isEmpty() ? w->objectName() : name;
}
} // namespace

void NameForAccessibility(QWidget* window) {
    if (!window) {
        return;
    }
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->accessibleName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"))) {
            w->setAccessibleName(nameFor(w, window));
        }
    }
    if (window->accessibleName().isEmpty()) {
        window->setAccessibleName(window->windowTitle());
    }
}

} // namespace zav
