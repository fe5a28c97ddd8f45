#pragma once

// Stand-ins for the outside objects: a language provider with chosen texts that leaves forms as
// designed, and a database utility that records every name it quotes.

#include "outside/DbUtility.h"
#include "outside/LanguageProvider.h"

#include <QHash>
#include <QStringList>

namespace zav::test {

class FakeLanguageProvider : public outside::LanguageProvider {
public:
    QHash<short, QString> texts;
    int formsTranslated = 0;

    QString GetText(short number, const QString& defaultText) override {
        return texts.value(number, defaultText);
    }
    void TranslateForm(QWidget*, const QString&) override { ++formsTranslated; }
    int EnumLanguages(QStringList&) override { return 0; }
    void setCurrentLanguage(const QString&) override {}
    QString CurrentLanguage() override { return QString(); }
    void setDbLanguagePath(const QString&) override {}
    QString DbLanguagePath() override { return QString(); }
};

// Quotes as the real one must (an apostrophe doubled) and remembers what it was given.
class RecordingDbUtility : public outside::DbUtility {
public:
    QStringList quoted;

    QString SqlQuote(const QString& text) override {
        quoted.append(text);
        QString result = text;
        return result.replace(QLatin1Char('\''), QStringLiteral("''"));
    }
    bool TableExists(store::Database&, const QString&) override { return false; }
};

} // namespace zav::test
