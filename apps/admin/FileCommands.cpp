// export FILE and import FILE ("-" is standard output or input).

#include "AdminError.h"
#include "Commands.h"
#include "Document.h"

#include <QFile>
#include <QSaveFile>

namespace zav::admin {

namespace {

const QString StandardStream = QStringLiteral("-");

QByteArray readFile(const QString& path) {
    QFile file;
    if (path == StandardStream) {
        if (!file.open(stdin, QIODevice::ReadOnly)) {
            throw AutomationError(ErrFileAccess, QStringLiteral("cannot read standard input"));
        }
        return file.readAll();
    }
    file.setFileName(path);
    if (!file.exists()) {
        throw AutomationError(ErrFileNotFound, QStringLiteral("'%1' does not exist").arg(path));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw AutomationError(ErrFileAccess,
                              QStringLiteral("cannot read '%1': %2").arg(path, file.errorString()));
    }
    return file.readAll();
}

} // namespace

void WriteOwnerOnlyFile(const QString& path, const QByteArray& bytes) {
    if (path == StandardStream) {
        QFile output;
        if (!output.open(stdout, QIODevice::WriteOnly) || output.write(bytes) != bytes.size()) {
            throw AutomationError(ErrFileAccess, QStringLiteral("cannot write to standard output"));
        }
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        throw AutomationError(ErrFileAccess,
                              QStringLiteral("cannot write '%1': %2").arg(path, file.errorString()));
    }
}

void RunExport(const Invocation& invocation, QTextStream& out) {
    Snapshot snapshot = manage::ReadSnapshot(*invocation.dbPath);
    snapshot.captions = manage::ReadCaptions(*invocation.dbPath);
    const QByteArray document = ExportDocument(snapshot);
    out.flush();
    WriteOwnerOnlyFile(invocation.arguments[0], document);
}

void RunImport(const Invocation& invocation, QTextStream& out) {
    const QString& path = invocation.arguments[0];
    const QByteArray bytes = readFile(path);
    Snapshot document;
    try {
        document = ParseDocument(bytes);
    } catch (const AutomationError& error) {
        throw AutomationError(error.Number(), QStringLiteral("%1: %2").arg(path, error.Description()));
    }
    if (invocation.merge) {
        manage::MergeIntoDatabase(*invocation.dbPath, document);
    } else {
        // A database's own export always goes back in; what its policy refuses is named, as check does.
        manage::ImportIntoNewDatabase(*invocation.dbPath, document);
        PrintFindings(manage::FindPasswordsAgainstRules(
                          document, manage::WithEntries(manage::Policy{}, document.policy)),
                      *invocation.dbPath, out);
    }
}

} // namespace zav::admin
