#include "language/CurrentLanguageProvider.h"

#include <ZAV_PrjLogin/Class_Language.h>

using zav::language::languageProvider;

Class_Language::Class_Language(Token) {}
Class_Language::~Class_Language() = default;

std::shared_ptr<Class_Language> Class_Language::create() {
    return std::make_shared<Class_Language>(Token{});
}

QString Class_Language::CurrentLanguage() const {
    return languageProvider().CurrentLanguage();
}

void Class_Language::setCurrentLanguage(const QString& name) {
    languageProvider().setCurrentLanguage(name);
}

QString Class_Language::DbLanguagePath() const {
    return languageProvider().DbLanguagePath();
}

void Class_Language::setDbLanguagePath(const QString& NewVal) {
    languageProvider().setDbLanguagePath(NewVal);
}

int Class_Language::EnumLanguages(QStringList& cCol) {
    return languageProvider().EnumLanguages(cCol);
}

QStringList Class_Language::EnumLanguages() {
    QStringList names;
    languageProvider().EnumLanguages(names);
    return names;
}
