#include "StoreTestSupport.h"

#include "store/Schema.h"
#include "store/server/PgConnection.h"

#include <QRegularExpression>
#include <unistd.h>

#include <QFile>
#include <gtest/gtest.h>

namespace zav::store::test {

TempFolder::TempFolder() {
    EXPECT_TRUE(m_dir.isValid());
}

std::string placeName(const ::testing::TestParamInfo<Place>& info) {
    return info.param == Place::File ? "File" : "Server";
}

QString testServerUri() {
    const QString uri = qEnvironmentVariable("ZAV_TEST_PG_URI");
    EXPECT_FALSE(uri.isEmpty()) << "ZAV_TEST_PG_URI is not set: run the server tests through ctest, which "
                                   "starts a throwaway server (it needs 'apt-get install postgresql').";
    return uri;
}

QString Places::fresh(const QString& name) {
    if (m_kind == Place::File) {
        return m_folder.file(name);
    }
    static int counter = 0;
    const QString database = QStringLiteral("zt_%1_%2").arg(::getpid()).arg(++counter);
    zav::pg::Connection(testServerUri()).exec(QStringLiteral("CREATE DATABASE ") + database);
    m_databases.push_back(database);
    return testServerUri().replace(QRegularExpression(QStringLiteral("/[^/?]*\\?")),
                                   QLatin1Char('/') + database + QLatin1Char('?'));
}

Places::~Places() {
    try {
        for (const auto& database : m_databases) {
            zav::pg::Connection(testServerUri())
                .exec(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(database));
        }
    } catch (const std::exception& error) {
        ADD_FAILURE() << error.what();
    }
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

DbError failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const DbError& error) {
        return error;
    }
    return DbError(0, QString());
}

int errorNumberOf(const std::function<void()>& action) {
    return failureOf(action).Number();
}

std::unique_ptr<Database> createCredentialDb(const QString& path) {
    auto db = DefaultEngine().CreateDatabase(path, LocaleArgument + ConnectString);
    db->CreateTable(LevelsTableDef());
    db->CreateTable(OperatorsTableDef());
    db->CreateRelation(RelIDRefDef());
    return db;
}

QString closedCredentialDb(const QString& path) {
    createCredentialDb(path)->Close();
    return path;
}

std::unique_ptr<Database> openShared(const QString& path, bool readOnly) {
    return DefaultEngine().OpenDatabase(path, readOnly ? OpenMode::SharedReadOnly : OpenMode::SharedReadWrite,
                                        ConnectString);
}

void addLevel(Database& db, int id, const QString& name) {
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Levels where ID = %1").arg(id));
    rs->AddNew();
    rs->SetField(FieldID, id);
    rs->SetField(FieldName, name);
    rs->SetField(FieldPWD, QString());
    rs->SetField(FieldNEnable, 0);
    rs->Update();
    rs->Close();
}

void addOperator(Database& db, const QString& name, int levelId, const QString& password) {
    auto rs = db.OpenRecordset(QStringLiteral("Select * from Operators"));
    rs->AddNew();
    rs->SetField(FieldName, name);
    rs->SetField(FieldPWD, password);
    rs->SetField(FieldID, levelId);
    rs->Update();
    rs->Close();
}

QStringList column(Database& db, const QString& sql, const QString& field) {
    QStringList values;
    auto rs = db.OpenRecordset(sql);
    for (; !rs->Eof(); rs->MoveNext()) {
        values << rs->Field(field).toString();
    }
    rs->Close();
    return values;
}

QString Helper::HelperProgram() {
    return QStringLiteral(ZAV_STORE_TEST_HELPER);
}

Helper::Helper(const QStringList& arguments, const QString& program) {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, arguments);
    EXPECT_TRUE(m_process.waitForStarted(10000));
}

Helper::~Helper() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString Helper::firstLine() {
    while (!m_process.canReadLine() && m_process.waitForReadyRead(15000)) {
    }
    return QString::fromUtf8(m_process.readLine()).trimmed();
}

void Helper::release() {
    m_process.closeWriteChannel();
    EXPECT_TRUE(m_process.waitForFinished(15000));
}

void Helper::kill() {
    m_process.kill();
    EXPECT_TRUE(m_process.waitForFinished(15000));
}

PrivateServer::PrivateServer() {
    QString out;
    if (run(QStringLiteral("start"), &out)) {
        m_uri = out.trimmed().section(QLatin1Char('\n'), -1);
    }
}

PrivateServer::~PrivateServer() {
    run(QStringLiteral("stop"));
}

int PrivateServer::postmasterPid() const {
    QFile pidFile(folder() + QStringLiteral("/data/postmaster.pid"));
    return pidFile.open(QIODevice::ReadOnly) ? pidFile.readLine().trimmed().toInt() : 0;
}

bool PrivateServer::run(const QString& action, QString* out) {
    const QString script = qEnvironmentVariable("ZAV_PG_TEST_SERVER");
    EXPECT_FALSE(script.isEmpty()) << "ZAV_PG_TEST_SERVER is not set: run the server tests through ctest";
    QProcess process;
    process.start(QStringLiteral("bash"), {script, action, m_folder.file(QStringLiteral("pg"))});
    const bool ended = process.waitForFinished(120000);
    if (out) {
        *out = QString::fromLocal8Bit(process.readAllStandardOutput());
    }
    EXPECT_TRUE(ended && process.exitCode() == 0)
        << action.toStdString() << ": " << process.readAllStandardError().toStdString();
    return ended && process.exitCode() == 0;
}

} // namespace zav::store::test
