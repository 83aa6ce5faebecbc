#include "store/storegridmodel.h"

#include "common/currency.h"
#include "common/dialogs.h"
#include "common/formats.h"
#include "store/sqlutil.h"
#include "store/storeerror.h"

#include <QSqlError>
#include <QSqlQuery>

namespace wagetrove {
namespace {

bool sameStored(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull()) {
        return a.isNull() == b.isNull();
    }
    return a == b;
}

} // namespace

StoreGridModel::StoreGridModel(const QSqlDatabase& db, GridDefinition definition, Dialogs& dialogs, QObject* parent)
    : QAbstractTableModel(parent), m_db(db), m_definition(std::move(definition)), m_dialogs(dialogs)
{}

QString StoreGridModel::selectList() const
{
    QStringList fields;
    for (const GridColumn& column : m_definition.columns) {
        fields << bracketed(column.field);
    }
    return fields.join(QStringLiteral(", "));
}

bool StoreGridModel::load()
{
    submitPending();
    BusyScope busy(m_dialogs);
    beginResetModel();
    m_rows.clear();
    m_editedRow = -1;
    m_lastModifiedRow = -1;
    QString statement = QStringLiteral("SELECT rowid, %1 FROM %2").arg(selectList(), bracketed(m_definition.table));
    QStringList order;
    for (const QString& field : m_definition.orderBy.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        order << bracketed(field.trimmed());
    }
    order << QStringLiteral("rowid");
    statement += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));

    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    const bool ok = query.exec(statement);
    while (ok && query.next()) {
        Row row;
        row.rowId = query.value(0).toLongLong();
        for (int i = 0; i < m_definition.columns.size(); ++i) {
            row.values << query.value(i + 1);
        }
        m_rows << row;
    }
    if (!ok || query.lastError().isValid()) {
        m_rows.clear();
    }
    endResetModel();
    if (!ok || query.lastError().isValid()) {
        dataError(lastErrorText(query));
        return false;
    }
    return true;
}

int StoreGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int StoreGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_definition.columns.size());
}

QString StoreGridModel::shownText(const QVariant& stored, GridValueKind kind) const
{
    if (stored.isNull()) {
        return {};
    }
    switch (kind) {
    case GridValueKind::Text:
        return stored.toString();
    case GridValueKind::Money:
        return formatGroupedAmount(Currency::fromRaw(stored.toLongLong()));
    case GridValueKind::Hours:
        return formatPlainDecimal(Currency::fromRaw(stored.toLongLong()));
    }
    return {};
}

std::optional<QVariant> StoreGridModel::storedValue(const QString& text, GridValueKind kind) const
{
    if (kind == GridValueKind::Text) {
        return QVariant(text.isNull() ? QStringLiteral("") : text);
    }
    if (text.trimmed().isEmpty()) {
        return QVariant(QMetaType::fromType<qlonglong>());
    }
    if (const std::optional<Currency> amount = Currency::fromAnyText(text)) {
        return QVariant(qlonglong(amount->raw()));
    }
    return std::nullopt;
}

QVariant StoreGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size()) {
        return {};
    }
    const GridColumn& column = m_definition.columns[index.column()];
    if (role == Qt::TextAlignmentRole) {
        return column.kind == GridValueKind::Text ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    return shownText(m_rows[index.row()].values[index.column()], column.kind);
}

QVariant StoreGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section < m_rows.size() && m_rows[section].rowId == 0 ? QStringLiteral("*") : QString();
    }
    return m_definition.columns.value(section).header;
}

Qt::ItemFlags StoreGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable : Qt::NoItemFlags;
}

bool StoreGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.row() >= m_rows.size()) {
        return false;
    }
    const int column = index.column();
    const QString text = value.toString();
    const GridColumn& definition = m_definition.columns[column];
    // An editor left without a change hands back what it showed; that is no edit, whatever the cell holds.
    if (text == shownText(m_rows[index.row()].values[column], definition.kind)) {
        return true;
    }
    if (m_definition.refusal) {
        if (const std::optional<QString> message = m_definition.refusal(column, text)) {
            if (!message->isEmpty()) {
                m_dialogs.message(*message, kApplicationTitle);
            }
            return false;
        }
    }
    const std::optional<QVariant> stored = storedValue(text, definition.kind);
    if (!stored) {
        dataError(QStringLiteral("\"%1\" is not a number, and %2 holds numbers only.").arg(text, definition.field));
        return false;
    }
    if (sameStored(*stored, m_rows[index.row()].values[column])) {
        return true;
    }

    const int row = index.row();
    if (m_editedRow != -1 && m_editedRow != row) {
        // Leaving a row writes it. Only a new row can go away then, and new rows come last.
        submitPending();
        if (row >= m_rows.size()) {
            return false;
        }
    }
    Row& edited = m_rows[row];
    if (m_editedRow != row) {
        edited.original = edited.values;
        edited.changed = QList<bool>(edited.values.size(), false);
        m_editedRow = row;
    }
    edited.values[column] = *stored;
    edited.changed[column] = true;
    Q_EMIT dataChanged(index, index);
    return true;
}

bool StoreGridModel::submitPending()
{
    if (m_editedRow == -1) {
        return true;
    }
    const int row = m_editedRow;
    m_editedRow = -1;
    Row& edited = m_rows[row];
    if (edited.rowId == 0 && !edited.changed.contains(true)) {
        // A new row left without anything typed in it is no row.
        removeGridRow(row);
        return true;
    }
    try {
        writeRow(edited);
        edited.changed.clear();
        edited.original.clear();
        m_lastModifiedRow = row;
        Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
        Q_EMIT headerDataChanged(Qt::Vertical, row, row);
        return true;
    } catch (const StoreError& error) {
        dataError(error.message());
    }
    if (edited.rowId == 0) {
        removeGridRow(row);
    } else {
        edited.values = readStoredRow(edited.rowId).value_or(edited.original);
        edited.changed.clear();
        edited.original.clear();
        Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
    }
    return false;
}

void StoreGridModel::writeRow(Row& row)
{
    if (m_definition.completeRow) {
        const QVariantList before = row.values;
        m_definition.completeRow(row.values);
        for (int i = 0; i < row.values.size(); ++i) {
            if (!sameStored(before[i], row.values[i])) {
                row.changed[i] = true;
            }
        }
    }
    QStringList fields;
    QVariantList values;
    for (int i = 0; i < row.values.size(); ++i) {
        if (row.changed[i]) {
            fields << bracketed(m_definition.columns[i].field);
            values << row.values[i];
        }
    }
    const QString table = bracketed(m_definition.table);
    Transaction transaction(m_db);
    qint64 rowId = row.rowId;
    if (rowId == 0) {
        if (fields.isEmpty()) {
            exec(m_db, QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table));
        } else {
            exec(m_db,
                 QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                     .arg(table, fields.join(QStringLiteral(", ")),
                          QStringList(fields.size(), QStringLiteral("?")).join(QStringLiteral(", "))),
                 values);
        }
        rowId = scalar(m_db, QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
    } else if (!fields.isEmpty()) {
        values << rowId;
        exec(m_db,
             QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?").arg(table, fields.join(QStringLiteral(" = ?, "))),
             values);
        if (scalar(m_db, QStringLiteral("SELECT changes()")).toInt() != 1) {
            throw StoreError(QStringLiteral("The row is no longer in the table %1.").arg(m_definition.table));
        }
    }
    transaction.commit();
    row.rowId = rowId;
}

std::optional<QVariantList> StoreGridModel::readStoredRow(qint64 rowId)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(selectList(), bracketed(m_definition.table)));
    query.addBindValue(rowId);
    if (!query.exec() || !query.next()) {
        return std::nullopt;
    }
    QVariantList values;
    for (int i = 0; i < m_definition.columns.size(); ++i) {
        values << query.value(i);
    }
    return values;
}

void StoreGridModel::revertPending()
{
    if (m_editedRow == -1) {
        return;
    }
    const int row = m_editedRow;
    m_editedRow = -1;
    Row& edited = m_rows[row];
    if (edited.rowId == 0) {
        removeGridRow(row);
        return;
    }
    edited.values = edited.original;
    edited.changed.clear();
    edited.original.clear();
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

int StoreGridModel::addRow()
{
    submitPending();
    const int row = static_cast<int>(m_rows.size());
    beginInsertRows({}, row, row);
    Row added;
    for (int i = 0; i < m_definition.columns.size(); ++i) {
        added.values << QVariant();
    }
    added.original = added.values;
    added.changed = QList<bool>(added.values.size(), false);
    m_rows << added;
    endInsertRows();
    m_editedRow = row;
    return row;
}

int StoreGridModel::deleteRow(int row)
{
    if (row < 0 || row >= m_rows.size()) {
        return row;
    }
    if (m_editedRow == row) {
        // The row's unwritten changes go with it; a row never written needs nothing from the store.
        revertPending();
        if (row >= m_rows.size()) {
            return static_cast<int>(m_rows.size()) - 1;
        }
    } else if (!submitPending() && row >= m_rows.size()) {
        return static_cast<int>(m_rows.size()) - 1;
    }
    const qint64 rowId = m_rows[row].rowId;
    if (rowId != 0) {
        try {
            Transaction transaction(m_db);
            exec(m_db, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(bracketed(m_definition.table)), {rowId});
            transaction.commit();
        } catch (const StoreError& error) {
            dataError(error.message());
            if (auto stored = readStoredRow(rowId)) {
                m_rows[row].values = *stored;
                Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
            }
            return row;
        }
    }
    removeGridRow(row);
    return qMin(row, static_cast<int>(m_rows.size()) - 1);
}

void StoreGridModel::removeGridRow(int row)
{
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
    if (m_lastModifiedRow == row) {
        m_lastModifiedRow = -1;
    } else if (m_lastModifiedRow > row) {
        --m_lastModifiedRow;
    }
}

void StoreGridModel::dataError(const QString& text)
{
    m_dialogs.message(kDataErrorPrefix + text, kApplicationTitle);
}

} // namespace wagetrove
