#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace zav::outside {

// Numbered texts in the current language with a fallback, and the translation of a whole dialog.
class LanguageProvider {
public:
    virtual ~LanguageProvider() = default;
    // Text number n of the current language; English when the language lacks it; else the default.
    virtual QString GetText(short number, const QString& defaultText) = 0;
    // Replaces the caption of every widget, action and list header whose "Tag" is "|" + n by text n.
    virtual void TranslateForm(QWidget* form, const QString& text) = 0;
    // Fills the collection with the names of the languages on offer; returns their number.
    virtual int EnumLanguages(QStringList& collection) = 0;
    virtual void setCurrentLanguage(const QString& name) = 0;
    virtual QString CurrentLanguage() = 0;
    virtual void setDbLanguagePath(const QString& path) = 0;
    virtual QString DbLanguagePath() = 0;
};

} // namespace zav::outside
