#pragma once

// The database engine as the component uses it: open a file in one of three modes, run SQL text,
// walk and edit recordsets, build tables, indexes and relations. The SQLCipher engine is the
// default implementation; another engine (a server database) can take its place behind this interface.

#include "store/DbError.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace zav::store {

// Field types of the schema (the numbers are the classic engine's type codes).
enum class FieldType { Boolean = 1, Integer = 3, Long = 4, Text = 10 };

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    bool allowZeroLength = false; // text fields only
};

struct IndexDef {
    QString name;
    std::vector<QString> fields;
    bool primary = false;
    bool unique = false;
};

struct TableDef {
    QString name;
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
};

// The table's primary index, or nullptr; a definition with two fails (3146) before any engine makes it.
const IndexDef* PrimaryIndexOf(const TableDef& table);

// Relation attributes as the classic engine numbers them.
inline constexpr int RelationUpdateCascade = 0x100;
inline constexpr int RelationDeleteCascade = 0x1000;

struct RelationField {
    QString name;        // field of the primary table
    QString foreignName; // field of the foreign table
};

struct RelationDef {
    QString name;
    QString table;        // primary table
    QString foreignTable; // table whose rows refer to the primary table
    int attributes = 0;
    std::vector<RelationField> fields;
};

// One value of a key field moving to another (see Database::ChangeKeys).
struct KeyChange {
    int from = 0;
    int to = 0;
};

// How a file is opened: Options (exclusive) and ReadOnly of the classic OpenDatabase call.
enum class OpenMode { Exclusive, SharedReadOnly, SharedReadWrite };

// A result set over the rows an SQL text selects, positioned on the first row when there is one.
// RecordCount is always the full number of rows. Field values: Booleans as bool, integers as int
// (or qint64), text as QString, Null as an invalid QVariant.
class Recordset {
public:
    virtual ~Recordset() = default;

    virtual int RecordCount() const = 0;
    virtual void MoveFirst() = 0;
    virtual void MoveLast() = 0;
    virtual void MoveNext() = 0;
    virtual bool Eof() const = 0; // the classic EOF property

    // Reads a field of the current row (or of the row being added or edited). Fails with 3265 when
    // the recordset has no such field, with 3021 when there is no current row.
    virtual QVariant Field(const QString& name) const = 0;
    // Writes a field of the row being added or edited (3020 outside AddNew/Edit).
    virtual void SetField(const QString& name, const QVariant& value) = 0;

    virtual void AddNew() = 0;
    virtual void Edit() = 0;
    // Regular update: stores the added or edited row; fails on a duplicate key (3022), a broken
    // relation (3201), a value out of the field's range, or a read-only database (3027).
    virtual void Update() = 0;
    virtual void Close() = 0;
};

class Database {
public:
    virtual ~Database() = default;

    // Runs one action statement. `parameters` are bound in order to the statement's "?" places, so a
    // value never becomes part of the statement's text.
    virtual void Execute(const QString& sql, const QVariantList& parameters = {}) = 0;
    virtual std::unique_ptr<Recordset> OpenRecordset(const QString& sql,
                                                     const QVariantList& parameters = {}) = 0;

    virtual bool TableExists(const QString& name) = 0;
    virtual void CreateTable(const TableDef& table) = 0;
    virtual std::vector<RelationDef> Relations() = 0;
    virtual void CreateRelation(const RelationDef& relation) = 0;
    // Every table with its fields in creation order and its indexes (an index that only serves a
    // relation belongs to the relation and is not listed).
    virtual std::vector<TableDef> TableDefs() {
        throw DbError(ErrEngine, QStringLiteral("This engine cannot list its tables."));
    }

    // Gives every row of `table` whose integer `field` holds a `from` value the matching `to` value,
    // as one change: values may swap or follow each other, and a unique index has to hold only when
    // all have moved. A relation with cascading update on the field carries each change over to its
    // foreign rows; one without refuses the change (3201) while a foreign row refers to a moving
    // value. All or nothing: on failure no row has changed.
    virtual void ChangeKeys(const QString& table, const QString& field,
                            const std::vector<KeyChange>& changes) = 0;

    // Transactions (the classic workspace's BeginTrans / CommitTrans / Rollback).
    virtual void BeginTrans() = 0;
    virtual void CommitTrans() = 0;
    virtual void Rollback() = 0;

    virtual void Close() = 0;

    // What only a server database has: functions its owner made that run with the owner's rights (the
    // roles of panels may change some tables only through them), and the owner's own statements, run as
    // the server reads them: several at once, with dollar-quoted bodies that no translation may touch.
    virtual bool IsServer() const { return false; }
    virtual bool RoutineExists(const QString& /*name*/) { return false; }
    virtual void ExecuteServerScript(const QString& /*sql*/) {
        throw DbError(ErrEngine, QStringLiteral("This engine has no server statements."));
    }
    // The file engine's counterpart: statements run as SQLite reads them, several at once and
    // untranslated (a trigger's body holds statements of its own). Internal texts only, without values.
    virtual void ExecuteFileScript(const QString& /*sql*/) {
        throw DbError(ErrEngine, QStringLiteral("This engine has no file statements."));
    }

    // Runs `action` once the outermost transaction has committed (at once outside a transaction); a
    // rollback of the transaction or savepoint it was registered in drops it. For what leaves the
    // database (a log line) and must never tell of a change that did not happen. Never throws on.
    void AfterCommit(std::function<void()> action);

protected:
    // The engines call this when a transaction or savepoint ends, with the depth left after it.
    void TransactionEnded(bool committed, int depthAfter);
    virtual int TransactionDepth() const { return 0; }

private:
    struct PendingAction {
        int depth = 0;
        std::function<void()> action;
    };
    std::vector<PendingAction> m_afterCommit;
};

class Engine {
public:
    virtual ~Engine() = default;

    // Opens an existing file with the connect string (";pwd=..."). Fails with 3024 when the file is
    // missing, 3031 on a wrong password, 3049 when it is damaged or not a database, 3045 when the mode
    // conflicts with another user of the file.
    virtual std::unique_ptr<Database> OpenDatabase(const QString& path, OpenMode mode,
                                                   const QString& connect) = 0;
    // Creates a new, empty file protected by the password in the locale argument
    // (";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=...") and opens it exclusively.
    // Refuses to touch anything that already exists at the path.
    virtual std::unique_ptr<Database> CreateDatabase(const QString& path, const QString& locale) = 0;
};

// The engine the component uses (SQLCipher unless a test installs another).
Engine& DefaultEngine();
void SetEngineForTesting(Engine* engine); // nullptr restores the default

// The one transaction guard of the store: Commit() makes the work permanent; a transaction left
// uncommitted is rolled back by the destructor, which never throws. Inside another transaction it
// is a savepoint, so a failure takes back only its own work.
class Transaction {
public:
    explicit Transaction(Database& db) : m_db(db) { m_db.BeginTrans(); }
    ~Transaction() {
        if (!m_done) {
            try {
                m_db.Rollback();
            } catch (...) {
                // a destructor never throws; the engine drops the transaction with the connection
            }
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit() {
        m_db.CommitTrans();
        m_done = true;
    }

private:
    Database& m_db;
    bool m_done = false;
};

} // namespace zav::store
