#pragma once

// A component on a temporary database, with the outside world replaced: an in-memory registry,
// recorded message boxes (answered as the test says) and the recording shell.

#include "base/Mod_Globali.h"
#include "outside/OutsideObjects.h"
#include "shell/RecordingShell.h"
#include "store/Engine.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace zav::test {

class MemoryRegistry : public outside::RegistryAccess {
public:
    QString ReadValue(const QString& keyPath, const QString& valueName, const QString& defaultText) override;
    void WriteValue(const QString& keyPath, const QString& valueName, const QString& text) override;

    QMap<QString, QString> values; // "keyPath|valueName" -> text
    bool failReads = false;
};

struct ShownMessage {
    QString text;
    int style = 0;
    QString title;
};

class ComponentEnvironment {
public:
    // With recordMessages false, message boxes are real QMessageBox dialogs (GUI tests drive them).
    // `dbPath`: where the database lives (a file path or a server URI); a file of its folder by default.
    explicit ComponentEnvironment(bool recordMessages = true, const QString& dbPath = QString());
    ~ComponentEnvironment();

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString dbPath() const { return m_dbPath; }

    // Both grants recorded, so that initialising changes nothing behind a test's back.
    void markGrantsDone();

    std::shared_ptr<store::Database> open(store::OpenMode mode = store::OpenMode::SharedReadWrite) const;
    // Runs one action statement on the test database.
    void execute(const QString& sql) const;
    // A field of the first row the SQL text selects.
    QVariant value(const QString& sql, const QString& field) const;
    int count(const QString& sql) const;
    // Rows written straight into the test database (a Null password is an invalid QVariant).
    void addLevel(int id, const QString& name, const QVariant& password, bool desktop = false) const;
    void addOperator(const QString& name, const QVariant& password, int levelId) const;
    // A component on the test database with both grants recorded and automatic shutdown off.
    std::shared_ptr<ZAV_Login> createComponent();

    std::shared_ptr<MemoryRegistry> registry = std::make_shared<MemoryRegistry>();
    std::shared_ptr<shell::RecordingShell> shell = std::make_shared<shell::RecordingShell>();
    QList<ShownMessage> messages;
    std::function<int(const ShownMessage&)> answer; // default: OK / No

private:
    QTemporaryDir m_dir;
    QString m_dbPath;
};

// Logs in through the login dialog: chooses `entry` ("" chooses nothing) and types each password in
// turn, closing the message of each refused one but the last into `seen`; cancels when none opened.
bool LogInThroughDialog(ZAV_Login& login, bool byLevel, const QString& entry, const QStringList& passwords,
                        QStringList* seen = nullptr);

} // namespace zav::test
