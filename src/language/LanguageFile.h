#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace zav::language {

// One language's numbered texts as a language file holds them (the format is described in
// docs/languages.md): a "language = Name, Other name, ..." line and "number = text" lines.
struct LanguageTexts {
    QStringList names; // the first is the name shown; every one selects the language
    QHash<short, QString> texts;

    bool isValid() const { return !names.isEmpty(); }
    bool isCalled(const QString& name) const;
    bool sharesNameWith(const LanguageTexts& other) const;
    // Adds the other's texts (replacing those of the same number) and its further names.
    void mergeFrom(const LanguageTexts& other);
};

// Lines that do not follow the format are skipped; without a language line the result is not valid.
LanguageTexts parseLanguageFile(const QByteArray& utf8);
LanguageTexts readLanguageFile(const QString& path);

} // namespace zav::language
