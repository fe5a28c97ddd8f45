#include "store/server/PgRecordset.h"

#include "store/SqlDialect.h"
#include "store/server/PgSchema.h"

#include <cmath>

namespace zav::pg {

using namespace store;

namespace {
// Type OIDs of the built-in types.
constexpr unsigned Int2Oid = 21;
constexpr unsigned Int4Oid = 23;
constexpr unsigned Int8Oid = 20;

DbError noCurrentRecord() {
    return DbError(ErrNoCurrentRecord, QStringLiteral("No current record."));
}

DbError updateWithoutEdit() {
    return DbError(ErrUpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
}

// A value as the server engine stores it: true as -1 and false as 0 (a Boolean column's Null too), a
// fraction for a whole-number column rounded.
QVariant storedValue(const QVariant& value, unsigned type) {
    if (type == Int2Oid || value.typeId() == QMetaType::Bool) {
        return qint64(value.toBool() ? -1 : 0);
    }
    const bool fraction = value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
    if (fraction && (type == Int4Oid || type == Int8Oid) && std::abs(value.toDouble()) < 9.0e18) {
        return qint64(std::llround(value.toDouble()));
    }
    return value;
}
} // namespace

PgRecordset::PgRecordset(std::shared_ptr<Link> link, const QString& translatedSql, bool readOnly,
                         const QVariantList& parameters)
    : m_link(std::move(link)), m_sql(translatedSql), m_parameters(parameters), m_readOnly(readOnly) {
    // Every field of one table: the rows hold their primary key, by which each is written back.
    if (const auto single = dialect::singleTableSelect(translatedSql)) {
        m_table = single->table;
    }
    // A read-only open writes nothing, so its rows may be read at once, with the fields, in one round
    // trip. Otherwise only the fields: a recordset opened to add a row never reads the table.
    if (m_readOnly) {
        Result result = m_link->connection().exec(m_sql, m_parameters);
        learnFields(result);
        take(std::move(result));
        return;
    }
    learnFields(m_link->connection().exec(
        QStringLiteral("SELECT * FROM (%1) AS zav_described LIMIT 0").arg(m_sql), m_parameters));
    m_link->addPendingRead(this);
}

void PgRecordset::learnFields(const Result& result) {
    for (int column = 0; column < result.columnCount(); ++column) {
        m_columns << result.columnName(column);
        m_types.push_back(result.columnType(column));
    }
}

PgRecordset::~PgRecordset() {
    if (m_link && !m_loaded) {
        m_link->removePendingRead(this);
    }
}

void PgRecordset::readRest() {
    ensureLoaded();
}

void PgRecordset::ensureLoaded() const {
    if (m_loaded) {
        return;
    }
    m_link->removePendingRead(const_cast<PgRecordset*>(this));
    take(m_link->connection().exec(m_sql, m_parameters));
}

void PgRecordset::take(Result&& result) const {
    const auto rows = size_t(result.rowCount());
    m_rows.resize(rows);
    m_converted.assign(rows, false);
    m_result = std::make_unique<Result>(std::move(result));
    m_loaded = true;
}

const PgRecordset::Row& PgRecordset::rowAt(size_t position) const {
    if (!m_converted[position]) {
        m_rows[position] = rowOf(*m_result, int(position));
        m_converted[position] = true;
    }
    return m_rows[position];
}

PgRecordset::Row PgRecordset::rowOf(const Result& result, int row) const {
    Row values;
    for (int column = 0; column < m_columns.size(); ++column) {
        QVariant value = result.value(row, column);
        if (m_types[size_t(column)] == Int2Oid && value.isValid()) {
            value = QVariant(value.toInt() != 0);
        }
        values.push_back(value);
    }
    return values;
}

int PgRecordset::RecordCount() const {
    requireOpen();
    ensureLoaded();
    return int(m_rows.size());
}

void PgRecordset::MoveFirst() {
    requireOpen();
    ensureLoaded();
    if (m_rows.empty()) {
        throw noCurrentRecord();
    }
    m_mode = EditMode::None;
    m_position = 0;
}

void PgRecordset::MoveLast() {
    MoveFirst();
    m_position = m_rows.size() - 1;
}

void PgRecordset::MoveNext() {
    requireCurrentRow();
    m_mode = EditMode::None;
    ++m_position;
}

bool PgRecordset::Eof() const {
    requireOpen();
    ensureLoaded();
    return m_position >= m_rows.size();
}

QVariant PgRecordset::Field(const QString& name) const {
    requireOpen();
    const int column = columnOf(name);
    if (m_mode != EditMode::None) {
        return m_buffer[size_t(column)];
    }
    requireCurrentRow();
    return rowAt(m_position)[size_t(column)];
}

void PgRecordset::SetField(const QString& name, const QVariant& value) {
    requireOpen();
    const int column = columnOf(name);
    if (m_mode == EditMode::None) {
        throw updateWithoutEdit();
    }
    m_buffer[size_t(column)] = value;
    m_changed[size_t(column)] = true;
}

void PgRecordset::AddNew() {
    requireOpen();
    if (m_table.isEmpty() || m_readOnly) {
        throw DbError(ErrReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
    }
    m_buffer.assign(size_t(m_columns.size()), QVariant());
    m_changed.assign(size_t(m_columns.size()), false);
    m_mode = EditMode::Adding;
}

void PgRecordset::Edit() {
    requireOpen();
    if (m_table.isEmpty() || m_readOnly) {
        throw DbError(ErrReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
    }
    requireCurrentRow();
    m_buffer = rowAt(m_position);
    m_changed.assign(size_t(m_columns.size()), false);
    m_mode = EditMode::Editing;
}

void PgRecordset::Update() {
    requireOpen();
    if (m_mode == EditMode::None) {
        throw updateWithoutEdit();
    }
    if (m_mode == EditMode::Adding && !m_loaded) {
        // Nothing is read yet: the others read theirs, the table is not read for this one, and its rows,
        // when asked for, will include the new one.
        m_link->removePendingRead(this);
        try {
            m_link->finishPendingReads();
            insertBuffer();
        } catch (...) {
            m_link->addPendingRead(this);
            throw;
        }
        m_link->addPendingRead(this);
        m_mode = EditMode::None;
        return;
    }
    m_link->finishPendingReads(); // this one too
    if (m_mode == EditMode::Adding) {
        insertBuffer();
    } else {
        updateBuffer();
    }
    m_mode = EditMode::None;
}

QVariantList PgRecordset::changedValues(QStringList& names) const {
    QVariantList values;
    for (size_t column = 0; column < m_changed.size(); ++column) {
        if (m_changed[column]) {
            names << schema::quoted(m_columns[qsizetype(column)]);
            values << storedValue(m_buffer[column], m_types[column]);
        }
    }
    return values;
}

void PgRecordset::insertBuffer() {
    QStringList names;
    const QVariantList values = changedValues(names);
    QStringList placeholders;
    for (int k = 1; k <= values.size(); ++k) {
        placeholders << QStringLiteral("$%1").arg(k);
    }
    const QString sql = names.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(schema::quoted(m_table))
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(schema::quoted(m_table), names.join(u','), placeholders.join(u','));
    const Result stored = m_link->write(sql + QStringLiteral(" RETURNING *"), values);
    if (m_loaded) {
        // The new row joins the end of the set; the current row stays the current row.
        const bool atEnd = m_position == m_rows.size();
        m_rows.push_back(rowOf(stored, 0));
        m_converted.push_back(true);
        m_position += atEnd ? 1 : 0;
    }
}

void PgRecordset::updateBuffer() {
    QStringList names;
    QVariantList values = changedValues(names);
    if (names.isEmpty()) {
        return;
    }
    QStringList settings;
    for (int k = 0; k < names.size(); ++k) {
        settings << QStringLiteral("%1 = $%2").arg(names[k]).arg(k + 1);
    }
    // The row is the one whose key Edit read. A row address (ctid) would not do: once the row is
    // changed or deleted elsewhere, VACUUM may give its address to another row.
    const std::vector<QString>& key = m_link->primaryKey(m_table);
    if (key.empty()) {
        throw DbError(ErrReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
    }
    QStringList matches;
    for (const QString& column : key) {
        const int at = columnOf(column);
        values << storedValue(rowAt(m_position)[size_t(at)], m_types[size_t(at)]);
        matches << QStringLiteral("%1 = $%2").arg(schema::quoted(column)).arg(values.size());
    }
    const Result stored = m_link->write(QStringLiteral("UPDATE %1 SET %2 WHERE %3 RETURNING *")
                                            .arg(schema::quoted(m_table), settings.join(QStringLiteral(", ")),
                                                 matches.join(QStringLiteral(" AND "))),
                                        values);
    if (stored.rowCount() != 1) {
        throw DbError(ErrChangedElsewhere,
                      QStringLiteral("The row was changed or deleted by another user since it was read."));
    }
    m_rows[m_position] = rowOf(stored, 0);
    m_converted[m_position] = true;
}

void PgRecordset::Close() {
    if (m_link && !m_loaded) {
        m_link->removePendingRead(this);
    }
    m_closed = true;
    m_rows.clear();
    m_converted.clear();
    m_result.reset();
}

void PgRecordset::requireOpen() const {
    if (m_closed) {
        throw DbError(ErrEngine, QStringLiteral("The database or recordset has been closed."));
    }
}

void PgRecordset::requireCurrentRow() const {
    requireOpen();
    ensureLoaded();
    if (m_position >= m_rows.size()) {
        throw noCurrentRecord();
    }
}

int PgRecordset::columnOf(const QString& name) const {
    const auto column = m_columns.indexOf(name.toLower());
    if (column < 0) {
        throw DbError(ErrItemNotFound,
                      QStringLiteral("Item not found in this collection: field '%1'.").arg(name));
    }
    return int(column);
}

} // namespace zav::pg
