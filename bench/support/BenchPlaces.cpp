#include "BenchPlaces.h"

#include <QRegularExpression>
#include <cstdio>
#include <libpq-fe.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace zav::bench {

namespace {

struct Finish {
    void operator()(PGconn* conn) const noexcept { PQfinish(conn); }
};

// Runs one administrative statement (CREATE or DROP DATABASE) on the benchmark server's database.
void administer(const QString& statement) {
    const std::unique_ptr<PGconn, Finish> conn(PQconnectdb(benchServerUri().toUtf8().constData()));
    if (PQstatus(conn.get()) != CONNECTION_OK) {
        throw std::runtime_error(std::string("cannot reach the benchmark server: ") +
                                 PQerrorMessage(conn.get()));
    }
    PGresult* result = PQexec(conn.get(), statement.toUtf8().constData());
    const bool done = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    if (!done) {
        throw std::runtime_error(statement.toStdString() + ": " + PQerrorMessage(conn.get()));
    }
}

} // namespace

QString benchServerUri() {
    return qEnvironmentVariable("ZAV_BENCH_PG_URI");
}

std::vector<benchmark::internal::Benchmark*> atBothPlaces(const char* name, PlacedBenchmark function) {
    std::vector<benchmark::internal::Benchmark*> registered;
    for (const Place place : {Place::File, Place::Server}) {
        registered.push_back(benchmark::RegisterBenchmark(
            (std::string(name) + '/' + placeName(place)).c_str(), function, place));
    }
    return registered;
}

bool skipWithoutServer(benchmark::State& state, Place place) {
    if (place == Place::Server && benchServerUri().isEmpty()) {
        state.SkipWithError("ZAV_BENCH_PG_URI not set");
        return true;
    }
    return false;
}

ScratchPlaces::~ScratchPlaces() {
    for (const QString& database : m_databases) {
        try {
            administer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database));
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what()); // a destructor never throws
        }
    }
}

QString ScratchPlaces::fresh(const QString& name) {
    if (m_place == Place::File) {
        return m_folder.filePath(name);
    }
    static int counter = 0;
    QString database = QStringLiteral("zav_bench_%1_%2_").arg(::getpid()).arg(++counter) + name;
    database =
        database.toLower().replace(QRegularExpression(QStringLiteral("[^a-z0-9_]")), QStringLiteral("_"));
    administer(QStringLiteral("CREATE DATABASE ") + database);
    m_databases.push_back(database);
    // The same server and settings, another database: the path of the URI names it.
    QString uri = benchServerUri();
    static const QRegularExpression path(QStringLiteral("^(postgres(?:ql)?://[^/?]*)(/[^?]*)?"));
    return uri.replace(path, QStringLiteral("\\1/") + database);
}

} // namespace zav::bench
