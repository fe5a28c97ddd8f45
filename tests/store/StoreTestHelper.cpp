// Another process for the store tests.
//   store_test_helper hold <file> exclusive|shared-ro|shared-rw
//       opens the file, prints "open" or "error <number>", keeps it open until its input closes.
//   store_test_helper reserve <file>
//       asks SQLite for the file's write lock without waiting; prints "reserved" or "busy".

#include "store/Engine.h"
#include "store/Schema.h"
#include "store/SqliteDatabase.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace {

zav::store::OpenMode modeOf(const std::string& text) {
    if (text == "exclusive") {
        return zav::store::OpenMode::Exclusive;
    }
    return text == "shared-ro" ? zav::store::OpenMode::SharedReadOnly : zav::store::OpenMode::SharedReadWrite;
}

void say(const std::string& line) {
    std::cout << line << std::endl;
}

void waitForInputToClose() {
    std::string ignored;
    while (std::getline(std::cin, ignored)) {
    }
}

int hold(const QString& path, zav::store::OpenMode mode) {
    std::unique_ptr<zav::store::Database> db;
    try {
        db = zav::store::DefaultEngine().OpenDatabase(path, mode, zav::store::ConnectString);
        say("open");
    } catch (const zav::store::DbError& error) {
        say("error " + std::to_string(error.Number()));
    }
    waitForInputToClose();
    return 0;
}

int reserve(const QString& path) {
    try {
        zav::sqlite::Database db(path, zav::sqlite::OpenFlags::ReadWrite);
        db.key(zav::store::DatabasePassword.toUtf8());
        db.setBusyTimeout(0);
        db.exec(QStringLiteral("BEGIN IMMEDIATE"));
        say("reserved");
    } catch (const zav::sqlite::Exception& error) {
        say(std::string("busy ") + error.what());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "hold") {
        return hold(QString::fromLocal8Bit(argv[2]), modeOf(argv[3]));
    }
    if (argc == 3 && std::string(argv[1]) == "reserve") {
        return reserve(QString::fromLocal8Bit(argv[2]));
    }
    std::fprintf(stderr, "usage: store_test_helper hold <file> <mode> | reserve <file>\n");
    return 2;
}
