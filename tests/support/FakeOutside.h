#pragma once

// Stand-ins for the outside objects: a language provider with texts set by the test, and a database
// utility that records every name it quotes.

#include "outside/DbUtility.h"
#include "outside/LanguageProvider.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QHash>
#include <QList>
#include <QStringList>

namespace zav::test {

// A language provider with texts set by the test; it records the numbers asked for and can be made
// to fail every call.
class FakeLanguageProvider : public outside::LanguageProvider {
public:
    QHash<short, QString> texts;
    QList<short> askedNumbers;
    QStringList languages{QStringLiteral("One"), QStringLiteral("Two")};
    QString current = QStringLiteral("One");
    QString path;
    bool failing = false;

    QString GetText(short number, const QString& defaultText) override {
        failIfAsked();
        askedNumbers.append(number);
        return texts.value(number, defaultText);
    }
    void TranslateForm(QWidget*, const QString&) override { failIfAsked(); }
    int EnumLanguages(QStringList& collection) override {
        failIfAsked();
        collection = languages;
        return static_cast<int>(languages.size()) + 40; // a count the caller cannot work out itself
    }
    void setCurrentLanguage(const QString& name) override {
        failIfAsked();
        current = name;
    }
    QString CurrentLanguage() override {
        failIfAsked();
        return current;
    }
    void setDbLanguagePath(const QString& newPath) override {
        failIfAsked();
        path = newPath;
    }
    QString DbLanguagePath() override {
        failIfAsked();
        return path;
    }

private:
    void failIfAsked() const {
        if (failing) {
            throw AutomationError(429, QStringLiteral("ActiveX component can't create object"));
        }
    }
};

} // namespace zav::test
