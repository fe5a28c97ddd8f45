#pragma once

// The rows an SQL text selects, read into memory as far as they are asked for: the current row and
// whether there is one (EOF) need only the rows up to it, RecordCount and MoveLast read them all (so
// RecordCount is exact), a recordset opened only to add a row never reads the table. Until every row
// is read its statement stays open on the file; a write through the recordset reads the rest first. A
// recordset over "Select * from <Table> ..." is updatable: AddNew/Edit/Update insert a row or update the
// current one by its rowid.

#include "store/CipherConnection.h"
#include "store/Engine.h"

#include <QHash>
#include <memory>
#include <optional>

namespace zav::sqlite {
class Statement;
}

namespace zav::store {

class SqlCipherRecordset final : public Recordset, private PendingRead {
public:
    SqlCipherRecordset(std::shared_ptr<CipherConnection> connection, const QString& translatedSql,
                       const QVariantList& parameters = {});
    ~SqlCipherRecordset() override;

    int RecordCount() const override;
    void MoveFirst() override;
    void MoveLast() override;
    void MoveNext() override;
    bool Eof() const override;
    QVariant Field(const QString& name) const override;
    void SetField(const QString& name, const QVariant& value) override;
    void AddNew() override;
    void Edit() override;
    void Update() override;
    void Close() override;

private:
    enum class EditMode { None, Adding, Editing };
    using Row = std::vector<QVariant>;

    void readRest() override;
    void requireOpen() const;
    // Reads rows until the one at `index` is read or none is left; whether there is that row.
    bool hasRow(size_t index) const;
    // Reads every row the query selects.
    void ensureLoaded() const;
    // Lets go of the query: every row is read, or the recordset closes.
    void endQuery() const noexcept;
    void requireCurrentRow() const;
    void requireUpdatable();
    int columnOf(const QString& name) const;
    // The fields of the statement's current row.
    Row rowOf(const sqlite::Statement& statement) const;
    // The row as the file holds it now (values normalised by the column types).
    Row storedRow(qint64 rowid);
    QStringList changedNames() const;
    // Binds the changed fields from index 1 on; returns the last index used.
    int bindChanged(sqlite::Statement& statement);
    qint64 insertBuffer();
    void updateBuffer(qint64 rowid);
    // The statements this recordset writes and re-reads with, prepared once and kept until it closes:
    // preparing them costs more than running them on a wide table.
    sqlite::Statement& preparedUpdate(const QStringList& names);
    sqlite::Statement& preparedReread();
    void finalizeStatements() noexcept;

    // The fields of a query, read once from its statement and kept with it while the connection keeps
    // the statement for reuse.
    struct Columns {
        QStringList names;
        std::vector<std::optional<FieldType>> types;
        QHash<QString, int> byName;     // as the statement names them, and in lower case
        const void* identity = nullptr; // the statement's columns they were read from
    };

    std::shared_ptr<CipherConnection> m_connection;
    QString m_table; // empty when the recordset cannot be updated
    std::shared_ptr<const Columns> m_fields;
    QString m_queryText;
    mutable std::unique_ptr<sqlite::Statement> m_query; // until every row is read
    mutable bool m_reading = false;                     // part of the way through the rows
    int m_fieldCount = 0;
    bool m_withRowid = false;
    mutable std::vector<Row> m_rows;
    mutable std::vector<qint64> m_rowids;
    size_t m_position = 0; // == m_rows.size() at EOF (once every row is read)
    EditMode m_mode = EditMode::None;
    Row m_buffer;
    std::vector<bool> m_changed;
    bool m_closed = false;
    std::unique_ptr<sqlite::Statement> m_reread;
    std::unique_ptr<sqlite::Statement> m_update;
    QStringList m_updateNames; // the fields m_update sets
};

} // namespace zav::store
