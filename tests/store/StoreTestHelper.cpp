// Another process for the store tests.
//   store_test_helper hold <file> exclusive|shared-ro|shared-rw|writing
//       opens the file (writing: shared-rw inside a transaction), prints "open" or "error <number>", keeps
//       it open until its input closes.
//   store_test_helper reserve <file>
//       asks SQLite for the file's write lock without waiting; prints "reserved" or "busy".
//   store_test_helper spill <file>
//       starts a write of every level's password that spills into the file before it commits,
//       prints "spilled" and waits to be killed.
//   store_test_helper create <file>   creates the file; prints "created".
//   store_test_helper churn <file>    rewrites every level's password, one transaction after another,
//       until it is killed.
//   A first argument "as-nobody" drops a root helper to the user nobody.

#include "store/Engine.h"
#include "store/Schema.h"
#include "store/SqliteDatabase.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

void say(const std::string& line) {
    std::cout << line << std::endl;
}

void waitForInputToClose() {
    std::string ignored;
    while (std::getline(std::cin, ignored)) {
    }
}

void hold(const QString& path, const std::string& modeName) {
    using zav::store::OpenMode;
    const OpenMode mode = modeName == "exclusive"   ? OpenMode::Exclusive
                          : modeName == "shared-ro" ? OpenMode::SharedReadOnly
                                                    : OpenMode::SharedReadWrite;
    std::unique_ptr<zav::store::Database> db;
    try {
        db = zav::store::DefaultEngine().OpenDatabase(path, mode, zav::store::ConnectString);
        if (modeName == "writing") {
            db->BeginTrans();
        }
        say("open");
    } catch (const zav::store::DbError& error) {
        say("error " + std::to_string(error.Number()));
    }
    waitForInputToClose();
}

void reserve(const QString& path) {
    try {
        zav::sqlite::Database db(path, zav::sqlite::OpenFlags::ReadWrite);
        db.key(zav::store::DatabasePassword.toUtf8());
        db.setBusyTimeout(0);
        db.exec(QStringLiteral("BEGIN IMMEDIATE"));
        say("reserved");
    } catch (const zav::sqlite::Exception& error) {
        say(std::string("busy ") + error.what());
    }
}

void spill(const QString& path) {
    zav::sqlite::Database db(path, zav::sqlite::OpenFlags::ReadWrite);
    db.key(zav::store::DatabasePassword.toUtf8());
    db.exec(QStringLiteral("PRAGMA cache_size = 2; BEGIN; UPDATE Levels SET PWD = 'spilled';"));
    say("spilled");
    waitForInputToClose();
}

void churn(const QString& path) {
    for (qint64 round = 0;; ++round) {
        try {
            auto db = zav::store::DefaultEngine().OpenDatabase(path, zav::store::OpenMode::SharedReadWrite,
                                                               zav::store::ConnectString);
            db->BeginTrans();
            db->Execute(QStringLiteral("Update Levels set PWD = '%1'").arg(round));
            db->CommitTrans();
            db->Close();
        } catch (const zav::store::DbError&) {
            // a reader of the test holds the write off for a moment: go on
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "as-nobody") {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            return 3;
        }
        --argc;
        ++argv;
    }
    const std::string command = argc > 2 ? argv[1] : "";
    const QString path = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (argc == 3 && command == "spill") {
        spill(path);
    } else if (argc == 3 && command == "create") {
        zav::store::DefaultEngine().CreateDatabase(path, zav::store::ConnectString)->Close();
        say("created");
    } else if (argc == 3 && command == "churn") {
        churn(path);
    } else if (argc == 4 && command == "hold") {
        hold(path, argv[3]);
    } else if (argc == 3 && command == "reserve") {
        reserve(path);
    } else {
        std::fprintf(
            stderr,
            "usage: store_test_helper [as-nobody] hold <file> <mode> | reserve|spill|create|churn <file>\n");
        return 2;
    }
    return 0;
}
