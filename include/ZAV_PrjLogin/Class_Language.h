#pragma once

#include "ZAV_Export.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

// The host's choice of the language of every caption and message of the component, reached through
// ZAV_Login's cDrvLanguage. It holds nothing itself: every member passes the call to the component's
// language provider, and the provider's errors (AutomationError) reach the caller unchanged.
class ZAV_EXPORT Class_Language : public QObject, public std::enable_shared_from_this<Class_Language> {
    Q_OBJECT
    Q_PROPERTY(QString CurrentLanguage READ CurrentLanguage WRITE setCurrentLanguage)
    Q_PROPERTY(QString DbLanguagePath READ DbLanguagePath WRITE setDbLanguagePath)

    struct Token {};

public:
    explicit Class_Language(Token);
    ~Class_Language() override;
    static std::shared_ptr<Class_Language> create();

    // The name of the language in use; setting a name that is not on offer fails with error 5.
    QString CurrentLanguage() const;
    void setCurrentLanguage(const QString& name);
    // The folder whose language files add languages or replace built-in texts.
    QString DbLanguagePath() const;
    void setDbLanguagePath(const QString& NewVal);

    // Fills cCol with the names of the languages on offer (what it held before is dropped) and
    // returns their number.
    int EnumLanguages(QStringList& cCol);
    // The same for hosts that bind late and cannot pass a list by reference: the names on offer.
    Q_INVOKABLE QStringList EnumLanguages();
};
