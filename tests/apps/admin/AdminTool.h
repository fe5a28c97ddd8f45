#pragma once

// Running the real zav-admin program (its path comes in ZAV_ADMIN) on databases in a temporary folder.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zav::test {

struct AdminRun {
    int status = -1;
    QString out;
    QString err;
};

// Runs zav-admin (or `program`) with `args` and `input` on its standard input (never a terminal); the
// one-time grants write their markers to a file in `folder`, so every test starts without them.
AdminRun RunAdmin(const QString& folder, const QStringList& args, const QByteArray& input = {},
                  const QString& program = qEnvironmentVariable("ZAV_ADMIN"));

QByteArray FileBytes(const QString& path);
// The text of a PDF as poppler's pdftotext reads it: a form feed ends each page.
QString PdfText(const QString& pdf);
void WriteFile(const QString& path, const QByteArray& bytes);
// Sets member `key` of the row at `index` of a document's `table` ("levels" or "operators").
void SetMember(QJsonObject& document, const char* table, int index, const char* key, const QJsonValue& value);

// A folder with a database path in it; `ok` and the checks run the tool with --db on that database.
class AdminTest : public ::testing::Test {
protected:
    ~AdminTest() override;
    // Points ZAV_BADGE_KEY_FILE, until the test ends, at a key that `badge init-key` makes in the folder.
    void makeBadgeKey();

    AdminRun adminOn(const QString& dbPath, const QStringList& args, const QByteArray& input = {}) const;
    QString path(const QString& name) const { return folder.filePath(name); }

    // Runs the command on `dbPath` under libfaketime with its clock moved by `shift` ("+400d").
    AdminRun adminAhead(const QString& dbPath, const char* shift, const QStringList& args) const;
    // Runs the command, expecting success; returns its standard output.
    QString ok(const QStringList& args, const QByteArray& input = {}) const;
    // Runs the command on `dbPath` and expects it to fail with status 1 and "(number)" in a message on
    // standard error that contains `text`, leaving the file byte for byte as it was (or absent).
    void expectFailure(const QString& dbPath, const QStringList& args, int number, const QString& text,
                       const QByteArray& input = {}) const;
    void expectFailure(const QStringList& args, int number, const QString& text,
                       const QByteArray& input = {}) const {
        expectFailure(db, args, number, text, input);
    }
    void expectUsageError(const QStringList& args, const QString& text) const;

    QJsonArray levels() const;
    QJsonArray operators() const;
    QJsonObject exported() const; // the document export writes
    // The level listed with this stored name (an empty object when there is none).
    QJsonObject level(const QString& storedName) const;

    QTemporaryDir folder;
    QString db = folder.filePath(QStringLiteral("login.db"));
    QByteArray badgeKeyBefore = qgetenv("ZAV_BADGE_KEY_FILE");
};

} // namespace zav::test
