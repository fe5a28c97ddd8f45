#include "outside/DatabaseProfileStore.h"

#include "outside/IniProfileStore.h"
#include "store/Schema.h"
#include "store/server/ServerAddress.h"

#include <map>
#include <vector>

namespace zav::outside {

namespace {

struct Entry {
    QString section;
    QString key;
    QString value;
};
using Entries = std::vector<Entry>;

QString databaseOf(const QString& file) {
    const QString ending = QStringLiteral(".INI");
    return file.endsWith(ending) ? file.chopped(ending.size()) : file;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

const QString SelectAll = QStringLiteral("Select * from %1").arg(store::ProfileTable);

Entries readEntries(store::Database& db) {
    Entries entries;
    if (!db.TableExists(store::ProfileTable)) {
        return entries;
    }
    auto rs = db.OpenRecordset(SelectAll);
    for (; !rs->Eof(); rs->MoveNext()) {
        entries.push_back({rs->Field(store::FieldSection).toString(), rs->Field(store::FieldName).toString(),
                           rs->Field(store::FieldValue).toString()});
    }
    rs->Close();
    return entries;
}

Entries readEntries(const QString& database) {
    auto db =
        store::DefaultEngine().OpenDatabase(database, store::OpenMode::SharedReadOnly, store::ConnectString);
    Entries entries = readEntries(*db);
    db->Close();
    return entries;
}

// What the thread's current read scope has read, per database.
thread_local unsigned long long t_cachedScope = 0;
thread_local std::map<QString, Entries> t_cached;

const Entries& entriesOf(const QString& database, Entries& uncached) {
    const unsigned long long scope = currentProfileReadScope();
    if (scope == 0) {
        uncached = readEntries(database);
        return uncached;
    }
    if (scope != t_cachedScope) {
        t_cached.clear();
        t_cachedScope = scope;
    }
    auto found = t_cached.find(database);
    if (found == t_cached.end()) {
        found = t_cached.emplace(database, readEntries(database)).first;
    }
    return found->second;
}

} // namespace

QString DatabaseProfileStore::ReadEntry(const QString& file, const QString& section, const QString& key,
                                        const QString& defaultText) {
    Entries uncached;
    for (const Entry& entry : entriesOf(databaseOf(file), uncached)) {
        if (sameName(entry.section, section) && sameName(entry.key, key)) {
            return entry.value;
        }
    }
    return defaultText;
}

void DatabaseProfileStore::WriteEntry(const QString& file, const QString& section, const QString& key,
                                      const QString& text) {
    const QString database = databaseOf(file);
    auto db =
        store::DefaultEngine().OpenDatabase(database, store::OpenMode::SharedReadWrite, store::ConnectString);
    // The transaction's write lock comes first, so two panels writing at once neither both make the
    // table nor both add the entry.
    db->BeginTrans();
    if (!db->TableExists(store::ProfileTable)) {
        db->CreateTable(store::ProfileTableDef());
    }
    auto rs = db->OpenRecordset(SelectAll);
    while (!rs->Eof() && !(sameName(rs->Field(store::FieldSection).toString(), section) &&
                           sameName(rs->Field(store::FieldName).toString(), key))) {
        rs->MoveNext();
    }
    if (!rs->Eof()) {
        rs->Edit();
        rs->SetField(store::FieldValue, text);
        rs->Update();
    } else {
        rs->AddNew();
        rs->SetField(store::FieldSection, section);
        rs->SetField(store::FieldName, key);
        rs->SetField(store::FieldValue, text);
        rs->Update();
    }
    rs->Close();
    db->CommitTrans();
    db->Close();
    t_cached.erase(database);
}

ProfileStore& DefaultProfileStore::storeFor(const QString& file) {
    static thread_local IniProfileStore files;
    static thread_local DatabaseProfileStore databases;
    if (pg::isServerPath(file)) {
        return databases;
    }
    return files;
}

QString DefaultProfileStore::ReadEntry(const QString& file, const QString& section, const QString& key,
                                       const QString& defaultText) {
    return storeFor(file).ReadEntry(file, section, key, defaultText);
}

void DefaultProfileStore::WriteEntry(const QString& file, const QString& section, const QString& key,
                                     const QString& text) {
    storeFor(file).WriteEntry(file, section, key, text);
}

} // namespace zav::outside
