#include "store/SqlCipherRecordset.h"

#include "store/ErrorMapping.h"
#include "store/FieldValues.h"
#include "store/SchemaSql.h"
#include "store/SqlDialect.h"
#include "store/SqliteStatement.h"

#include <limits>

namespace zav::store {

namespace {
DbError noCurrentRecord() {
    return DbError(ErrNoCurrentRecord, QStringLiteral("No current record."));
}

DbError updateWithoutEdit() {
    return DbError(ErrUpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
}
} // namespace

SqlCipherRecordset::SqlCipherRecordset(std::shared_ptr<CipherConnection> connection,
                                       const QString& translatedSql, const QVariantList& parameters)
    : m_connection(std::move(connection)) {
    const auto single = dialect::singleTableSelect(translatedSql);
    const bool withRowid = single.has_value();
    m_queryText = withRowid ? single->sqlWithRowid : translatedSql;
    m_query = m_connection->db().takeStatement(m_queryText);
    bindParameters(*m_query, parameters);
    m_withRowid = withRowid;
    m_fieldCount = m_query->columnCount() - (withRowid ? 1 : 0);
    m_fields = std::static_pointer_cast<const Columns>(m_query->derived());
    if (!m_fields || m_fields->identity != m_query->columnsIdentity()) {
        auto fields = std::make_shared<Columns>();
        fields->identity = m_query->columnsIdentity();
        for (int column = 0; column < m_fieldCount; ++column) {
            fields->names << m_query->columnName(column);
            fields->types.push_back(fieldTypeOfDeclared(m_query->columnDeclType(column)));
            fields->byName.insert(fields->names.back(), column);
            fields->byName.insert(fields->names.back().toLower(), column);
        }
        m_query->setDerived(fields);
        m_fields = std::move(fields);
    }
    if (withRowid) {
        m_table = single->table;
    }
}

SqlCipherRecordset::~SqlCipherRecordset() {
    finalizeStatements();
}

bool SqlCipherRecordset::hasRow(size_t index) const {
    while (m_query && m_rows.size() <= index) {
        if (!m_reading) {
            m_connection->addPendingRead(const_cast<SqlCipherRecordset*>(this));
            m_reading = true;
        }
        translatingErrors([this] {
            if (m_query->executeStep()) {
                m_rows.push_back(rowOf(*m_query));
                m_rowids.push_back(m_withRowid ? m_query->columnInt64(m_fieldCount) : 0);
            } else {
                endQuery(); // every row is read: the statement no longer holds the file
            }
        });
    }
    return index < m_rows.size();
}

void SqlCipherRecordset::readRest() {
    ensureLoaded();
}

void SqlCipherRecordset::endQuery() const noexcept {
    if (m_reading && m_connection) {
        m_connection->removePendingRead(const_cast<SqlCipherRecordset*>(this));
    }
    m_reading = false;
    if (m_query && m_connection && m_connection->isOpen()) {
        m_connection->db().keepStatement(m_queryText, std::move(m_query));
    }
    m_query.reset();
}

void SqlCipherRecordset::ensureLoaded() const {
    hasRow(std::numeric_limits<size_t>::max());
}

int SqlCipherRecordset::RecordCount() const {
    requireOpen();
    ensureLoaded();
    return int(m_rows.size());
}

void SqlCipherRecordset::MoveFirst() {
    requireOpen();
    if (!hasRow(0)) {
        throw noCurrentRecord();
    }
    m_mode = EditMode::None;
    m_position = 0;
}

void SqlCipherRecordset::MoveLast() {
    requireOpen();
    ensureLoaded();
    if (m_rows.empty()) {
        throw noCurrentRecord();
    }
    m_mode = EditMode::None;
    m_position = m_rows.size() - 1;
}

void SqlCipherRecordset::MoveNext() {
    requireOpen();
    requireCurrentRow();
    m_mode = EditMode::None;
    ++m_position;
}

bool SqlCipherRecordset::Eof() const {
    requireOpen();
    return !hasRow(m_position);
}

QVariant SqlCipherRecordset::Field(const QString& name) const {
    requireOpen();
    const int column = columnOf(name);
    if (m_mode != EditMode::None) {
        return m_buffer[size_t(column)];
    }
    requireCurrentRow();
    return m_rows[m_position][size_t(column)];
}

void SqlCipherRecordset::SetField(const QString& name, const QVariant& value) {
    requireOpen();
    const int column = columnOf(name);
    if (m_mode == EditMode::None) {
        throw updateWithoutEdit();
    }
    m_buffer[size_t(column)] = value;
    m_changed[size_t(column)] = true;
}

void SqlCipherRecordset::AddNew() {
    requireUpdatable();
    m_buffer.assign(size_t(m_fields->names.size()), QVariant());
    m_changed.assign(size_t(m_fields->names.size()), false);
    m_mode = EditMode::Adding;
}

void SqlCipherRecordset::Edit() {
    requireUpdatable();
    requireCurrentRow();
    m_buffer = m_rows[m_position];
    m_changed.assign(size_t(m_fields->names.size()), false);
    m_mode = EditMode::Editing;
}

void SqlCipherRecordset::Update() {
    requireOpen();
    if (m_mode == EditMode::None) {
        throw updateWithoutEdit();
    }
    // Recordsets part of the way through their rows, this one too, read the rest as it was before the
    // write.
    m_connection->finishPendingReads();
    if (m_mode == EditMode::Adding && m_query) {
        translatingErrors([this] { insertBuffer(); }); // nothing is read yet: the rows will include it
        m_mode = EditMode::None;
        return;
    }
    translatingErrors([this] {
        if (m_mode == EditMode::Adding) {
            // The new row joins the end of the set; the current row stays the current row.
            const qint64 rowid = insertBuffer();
            m_rows.push_back(storedRow(rowid));
            m_rowids.push_back(rowid);
            if (m_position == m_rows.size() - 1) {
                ++m_position; // it was at EOF and stays there
            }
        } else {
            updateBuffer(m_rowids[m_position]);
            m_rows[m_position] = storedRow(m_rowids[m_position]);
        }
    });
    m_mode = EditMode::None;
}

void SqlCipherRecordset::Close() {
    finalizeStatements(); // before the connection may be kept for reuse: it must hold no statement
    m_closed = true;
    m_rows.clear();
    m_rowids.clear();
    m_connection.reset();
}

void SqlCipherRecordset::requireOpen() const {
    if (m_closed) {
        throw objectClosed();
    }
}

void SqlCipherRecordset::requireCurrentRow() const {
    if (!hasRow(m_position)) {
        throw noCurrentRecord();
    }
}

void SqlCipherRecordset::requireUpdatable() {
    requireOpen();
    if (m_table.isEmpty() || m_connection->db().isReadOnly()) {
        throw DbError(ErrReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
    }
}

int SqlCipherRecordset::columnOf(const QString& name) const {
    auto found = m_fields->byName.constFind(name); // the fields' own spelling needs no folding
    if (found == m_fields->byName.constEnd()) {
        found = m_fields->byName.constFind(name.toLower());
    }
    if (found == m_fields->byName.constEnd()) {
        throw DbError(ErrItemNotFound,
                      QStringLiteral("Item not found in this collection: field '%1'.").arg(name));
    }
    return *found;
}

SqlCipherRecordset::Row SqlCipherRecordset::rowOf(const sqlite::Statement& statement) const {
    Row row;
    row.reserve(m_fields->types.size());
    for (size_t column = 0; column < m_fields->types.size(); ++column) {
        row.push_back(readColumn(statement, int(column), m_fields->types[column]));
    }
    return row;
}

SqlCipherRecordset::Row SqlCipherRecordset::storedRow(qint64 rowid) {
    sqlite::Statement& select = preparedReread();
    select.bind(1, rowid);
    // Reset at once: a statement left on a row would keep its read open.
    struct ResetAfter {
        sqlite::Statement& statement;
        ~ResetAfter() { statement.reset(); }
    } resetAfter{select};
    return select.executeStep() ? rowOf(select) : Row(m_fields->types.size());
}

QStringList SqlCipherRecordset::changedNames() const {
    QStringList names;
    for (size_t column = 0; column < m_changed.size(); ++column) {
        if (m_changed[column]) {
            names << ddl::quoted(m_fields->names[qsizetype(column)]);
        }
    }
    return names;
}

int SqlCipherRecordset::bindChanged(sqlite::Statement& statement) {
    int index = 0;
    for (size_t column = 0; column < m_changed.size(); ++column) {
        if (m_changed[column]) {
            bindValue(statement, ++index, m_buffer[column], m_fields->types[column]);
        }
    }
    return index;
}

qint64 SqlCipherRecordset::insertBuffer() {
    const QStringList names = changedNames();
    const QString sql = names.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(ddl::quoted(m_table))
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(ddl::quoted(m_table), names.join(u','),
                                       QStringList(names.size(), QStringLiteral("?")).join(u','));
    sqlite::Statement insert(m_connection->db(), sql);
    bindChanged(insert);
    insert.exec();
    return m_connection->db().lastInsertRowid();
}

void SqlCipherRecordset::updateBuffer(qint64 rowid) {
    const QStringList names = changedNames();
    if (names.isEmpty()) {
        return;
    }
    sqlite::Statement& update = preparedUpdate(names);
    update.bind(bindChanged(update) + 1, rowid);
    update.exec();
    update.reset();
    if (m_connection->db().changes() != 1) {
        throw DbError(ErrChangedElsewhere,
                      QStringLiteral("The row was changed or deleted by another user since it was read."));
    }
}

sqlite::Statement& SqlCipherRecordset::preparedUpdate(const QStringList& names) {
    sqlite::Database& db = m_connection->db(); // fails once the connection is closed
    if (!m_update || m_updateNames != names) {
        m_update.reset();
        m_update = std::make_unique<sqlite::Statement>(
            db, QStringLiteral("UPDATE %1 SET %2 = ? WHERE _rowid_ = ?")
                    .arg(ddl::quoted(m_table), names.join(QStringLiteral(" = ?, "))));
        m_updateNames = names;
    }
    return *m_update;
}

sqlite::Statement& SqlCipherRecordset::preparedReread() {
    sqlite::Database& db = m_connection->db(); // fails once the connection is closed
    if (!m_reread) {
        m_reread = std::make_unique<sqlite::Statement>(
            db, QStringLiteral("SELECT * FROM %1 WHERE _rowid_ = ?1").arg(ddl::quoted(m_table)));
    }
    return *m_reread;
}

void SqlCipherRecordset::finalizeStatements() noexcept {
    endQuery();
    m_update.reset();
    m_reread.reset();
    m_updateNames.clear();
}

} // namespace zav::store
