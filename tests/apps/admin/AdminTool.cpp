#include "AdminTool.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <memory>

namespace zav::test {

namespace {
// QProcess wants an application object.
class QtApplication : public ::testing::Environment {
public:
    void SetUp() override { m_app = std::make_unique<QCoreApplication>(m_argc, m_argv); }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "admin_tool";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QCoreApplication> m_app;
};
[[maybe_unused]] const auto* const registered = ::testing::AddGlobalTestEnvironment(new QtApplication);

QJsonArray jsonArray(const QString& text) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text.toStdString();
    EXPECT_TRUE(document.isArray());
    return document.array();
}
} // namespace

AdminRun RunAdmin(const QString& folder, const QStringList& args, const QByteArray& input,
                  const QString& program) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ZAV_REGISTRY_FILE"), folder + QStringLiteral("/registry.ini"));
    process.setProcessEnvironment(environment);
    process.start(program, args);
    AdminRun run;
    if (!process.waitForStarted(30000)) {
        ADD_FAILURE() << "zav-admin did not start: " << process.errorString().toStdString();
        return run;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        ADD_FAILURE() << "zav-admin did not finish"; // the destructor kills it
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString PdfText(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    EXPECT_TRUE(process.waitForFinished(30000) && process.exitCode() == 0) << pdf.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void SetMember(QJsonObject& document, const char* table, int index, const char* key,
               const QJsonValue& value) {
    QJsonArray rows = document[QLatin1String(table)].toArray();
    QJsonObject row = rows[index].toObject();
    row[QLatin1String(key)] = value;
    rows[index] = row;
    document[QLatin1String(table)] = rows;
}

AdminTest::~AdminTest() {
    qputenv("ZAV_BADGE_KEY_FILE", badgeKeyBefore);
}

void AdminTest::makeBadgeKey() {
    const QString key = path(QStringLiteral("keys/badge.key"));
    qputenv("ZAV_BADGE_KEY_FILE", QFile::encodeName(key));
    EXPECT_EQ(RunAdmin(folder.path(), {QStringLiteral("badge"), QStringLiteral("init-key")}).out, key + '\n');
}

AdminRun AdminTest::adminOn(const QString& dbPath, const QStringList& args, const QByteArray& input) const {
    return RunAdmin(folder.path(), QStringList{QStringLiteral("--db"), dbPath} + args, input);
}

AdminRun AdminTest::adminAhead(const QString& dbPath, const char* shift, const QStringList& args) const {
    const QByteArray sanitizer = qgetenv("ASAN_OPTIONS"); // libfaketime is preloaded before the sanitizer
    qputenv("ASAN_OPTIONS", sanitizer + ":verify_asan_link_order=0");
    const AdminRun run =
        RunAdmin(folder.path(),
                 QStringList{QStringLiteral("-f"), QString::fromLatin1(shift),
                             qEnvironmentVariable("ZAV_ADMIN"), QStringLiteral("--db"), dbPath} +
                     args,
                 {}, QStringLiteral("faketime"));
    qputenv("ASAN_OPTIONS", sanitizer);
    return run;
}

QString AdminTest::ok(const QStringList& args, const QByteArray& input) const {
    const AdminRun run = adminOn(db, args, input);
    EXPECT_EQ(run.status, 0) << args.join(QLatin1Char(' ')).toStdString() << ": " << run.err.toStdString();
    EXPECT_EQ(run.err, QString()) << args.join(QLatin1Char(' ')).toStdString();
    return run.out;
}

void AdminTest::expectFailure(const QString& dbPath, const QStringList& args, int number, const QString& text,
                              const QByteArray& input) const {
    const bool existed = QFile::exists(dbPath);
    const QByteArray before = FileBytes(dbPath);
    const AdminRun run = adminOn(dbPath, args, input);
    const std::string what = args.join(QLatin1Char(' ')).toStdString() + " -> " + run.err.toStdString();
    EXPECT_EQ(run.status, 1) << what;
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("zav-admin: "))) << what;
    EXPECT_TRUE(run.err.endsWith(QStringLiteral(" (%1)\n").arg(number))) << what;
    EXPECT_TRUE(run.err.contains(text, Qt::CaseInsensitive)) << what << " lacks " << text.toStdString();
    EXPECT_EQ(run.out, QString()) << what;
    EXPECT_EQ(QFile::exists(dbPath), existed) << what;
    EXPECT_TRUE(FileBytes(dbPath) == before) << what << ": the file changed";
}

void AdminTest::expectUsageError(const QStringList& args, const QString& text) const {
    const QByteArray before = FileBytes(db);
    const AdminRun run = adminOn(db, args);
    const std::string what = args.join(QLatin1Char(' ')).toStdString() + " -> " + run.err.toStdString();
    EXPECT_EQ(run.status, 2) << what;
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("zav-admin: ") + text)) << what;
    EXPECT_TRUE(run.err.contains(QStringLiteral("--help"))) << what;
    EXPECT_TRUE(FileBytes(db) == before) << what;
}

QJsonArray AdminTest::levels() const {
    return jsonArray(ok({QStringLiteral("levels"), QStringLiteral("--json")}));
}

QJsonArray AdminTest::operators() const {
    return jsonArray(ok({QStringLiteral("operators"), QStringLiteral("--json")}));
}

QJsonObject AdminTest::exported() const {
    return QJsonDocument::fromJson(ok({QStringLiteral("export"), QStringLiteral("-")}).toUtf8()).object();
}

QJsonObject AdminTest::level(const QString& storedName) const {
    for (const QJsonValue value : levels()) {
        if (value[QStringLiteral("name")].toString() == storedName) {
            return value.toObject();
        }
    }
    return {};
}

} // namespace zav::test
