#pragma once

// The rows an SQL text selects on the server. Opening checks the text and learns its fields without
// reading a row; the rows are read in one go when first asked for, or before anything is written
// through the connection (so a recordset keeps the rows as they were when it opened). In a read-only
// open, where nothing is written, opening reads them at once. A recordset over
// "Select * from <Table> ..." is updatable: each row is written back by its primary key as read, and a
// write that finds no row with that key any more fails (3197) instead of writing nothing.

#include "store/Engine.h"
#include "store/server/PgLink.h"

namespace zav::pg {

class PgRecordset final : public store::Recordset, private PendingRead {
public:
    PgRecordset(std::shared_ptr<Link> link, const QString& translatedSql, bool readOnly,
                const QVariantList& parameters = {});
    ~PgRecordset() override;

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
    void learnFields(const Result& result);
    void ensureLoaded() const;
    // The rows of the result, which holds the recordset's fields (and address) in their order. Each
    // row becomes values when first asked for: a reader of the first of many rows converts only that.
    void take(Result&& result) const;
    const Row& rowAt(size_t position) const;
    void requireOpen() const;
    void requireCurrentRow() const;
    int columnOf(const QString& name) const;
    Row rowOf(const Result& result, int row) const;
    QVariantList changedValues(QStringList& names) const;
    void insertBuffer();
    void updateBuffer();

    std::shared_ptr<Link> m_link;
    QString m_sql;
    QVariantList m_parameters;
    QString m_table; // empty when the recordset cannot be updated
    bool m_readOnly;
    QStringList m_columns;
    std::vector<unsigned> m_types;
    mutable bool m_loaded = false;
    mutable std::vector<Row> m_rows;
    mutable std::vector<bool> m_converted; // which of m_rows hold their values
    mutable std::unique_ptr<Result> m_result;
    size_t m_position = 0;
    EditMode m_mode = EditMode::None;
    Row m_buffer;
    std::vector<bool> m_changed;
    bool m_closed = false;
};

} // namespace zav::pg
