#include "language/StandardLanguageProvider.h"

#include "language/FormTranslator.h"
#include "outside/OutsideErrors.h"

#include <QDir>

// Built into the library as a Qt resource; a static library must register it explicitly.
static void registerBuiltInLanguages() {
    Q_INIT_RESOURCE(zav_languages);
}

namespace zav::language {

namespace {

const QString BuiltInFolder = QStringLiteral(":/zav/languages/");
const QStringList BuiltInFiles = {QStringLiteral("English.lang"), QStringLiteral("Deutsch.lang"),
                                  QStringLiteral("Italiano.lang")};

} // namespace

StandardLanguageProvider::StandardLanguageProvider() {
    registerBuiltInLanguages();
    loadLanguages();
    m_current = m_languages.front().names.front();
}

void StandardLanguageProvider::loadLanguages() {
    m_languages.clear();
    for (const QString& file : BuiltInFiles) {
        addLanguage(readLanguageFile(BuiltInFolder + file));
    }
    if (m_languages.isEmpty() || !m_languages.front().isCalled(QStringLiteral("English"))) {
        outside::failCannotCreate(QStringLiteral("the built-in language texts are missing"));
    }
    if (m_path.isEmpty()) {
        return;
    }
    const QDir folder(m_path);
    for (const QString& file :
         folder.entryList({QStringLiteral("*.lang")}, QDir::Files | QDir::Readable, QDir::Name)) {
        addLanguage(readLanguageFile(folder.filePath(file)));
    }
}

void StandardLanguageProvider::addLanguage(const LanguageTexts& language) {
    if (!language.isValid()) {
        return;
    }
    for (LanguageTexts& known : m_languages) {
        if (known.sharesNameWith(language)) {
            known.mergeFrom(language);
            return;
        }
    }
    m_languages.append(language);
}

const LanguageTexts* StandardLanguageProvider::findLanguage(const QString& name) const {
    for (const LanguageTexts& language : m_languages) {
        if (language.isCalled(name)) {
            return &language;
        }
    }
    return nullptr;
}

QString StandardLanguageProvider::GetText(short number, const QString& defaultText) {
    if (const LanguageTexts* current = findLanguage(m_current)) {
        if (const auto found = current->texts.constFind(number); found != current->texts.cend()) {
            return *found;
        }
    }
    return m_languages.front().texts.value(number, defaultText);
}

void StandardLanguageProvider::TranslateForm(QWidget* form, const QString& /*text*/) {
    translateForm(form, [this](short number, const QString& caption) { return GetText(number, caption); });
}

int StandardLanguageProvider::EnumLanguages(QStringList& collection) {
    collection.clear();
    for (const LanguageTexts& language : m_languages) {
        collection.append(language.names.front());
    }
    return static_cast<int>(collection.size());
}

void StandardLanguageProvider::setCurrentLanguage(const QString& name) {
    const LanguageTexts* language = findLanguage(name);
    if (!language) {
        outside::failInvalidCall(QStringLiteral("no language called \"%1\"").arg(name));
    }
    m_current = language->names.front();
}

QString StandardLanguageProvider::CurrentLanguage() {
    const LanguageTexts* language = findLanguage(m_current);
    return language ? language->names.front() : m_languages.front().names.front();
}

void StandardLanguageProvider::setDbLanguagePath(const QString& path) {
    m_path = path;
    loadLanguages();
    if (!findLanguage(m_current)) {
        m_current = m_languages.front().names.front();
    }
}

QString StandardLanguageProvider::DbLanguagePath() {
    return m_path;
}

} // namespace zav::language
