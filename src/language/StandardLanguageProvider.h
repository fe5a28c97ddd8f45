#pragma once

#include "language/LanguageFile.h"
#include "outside/LanguageProvider.h"

#include <QList>

namespace zav::language {

// The component's language texts: English, German and Italian built in, more languages (or better
// texts for these) from the language files in the folder DbLanguagePath. A text missing in the
// current language comes in English, and the caller's default when English lacks it too. English is
// current until the host chooses another; choosing a language not on offer fails with error 5 and
// keeps the current one. docs/languages.md describes the file format.
class StandardLanguageProvider : public outside::LanguageProvider {
public:
    StandardLanguageProvider();

    QString GetText(short number, const QString& defaultText) override;
    // The text argument is not used.
    void TranslateForm(QWidget* form, const QString& text) override;
    // Replaces the list's contents with the names of the languages on offer: the built-in ones first.
    int EnumLanguages(QStringList& collection) override;
    // Any of a language's names selects it, regardless of case.
    void setCurrentLanguage(const QString& name) override;
    QString CurrentLanguage() override;
    // Reads the language files of the folder again (also when the path is the same). A missing folder
    // offers the built-in languages only. If the current language is no longer on offer, English is.
    void setDbLanguagePath(const QString& path) override;
    QString DbLanguagePath() override;

private:
    void loadLanguages();
    void addLanguage(const LanguageTexts& language);
    const LanguageTexts* findLanguage(const QString& name) const;

    QList<LanguageTexts> m_languages; // English first
    QString m_current;
    QString m_path;
};

} // namespace zav::language
