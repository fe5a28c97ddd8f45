#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace zav::language {

// Text number n, or the given caption when there is no such text.
using TextSource = std::function<QString(short number, const QString& caption)>;

// Gives the form and everything in it the captions their tags name. A widget or action whose dynamic
// property "Tag" is "|" + n gets text n as its caption: the window title of a window, the title of a
// menu or group box, the text of a button, check box, label or action, the tab text of a tab page.
// The column headers of a QTreeWidget or QTableWidget take their tags from the widget's dynamic property
// "HeaderTags": a string list (or one comma-separated string) with the tag of column i at place i.
// Other tags, and widgets of other kinds, are left as they are.
void translateForm(QWidget* form, const TextSource& text);

} // namespace zav::language
