#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <functional>
#include <optional>

namespace wagetrove {

class Dialogs;

/// How a grid column's stored value is shown and typed.
enum class GridValueKind
{
    Text,  ///< stored as typed
    Money, ///< 1/10,000 in an INTEGER field, shown with comma groups ("1,234.50")
    Hours, ///< 1/10,000 in an INTEGER field, shown in plain decimals ("37.5")
};

struct GridColumn
{
    QString field;
    QString header;
    GridValueKind kind = GridValueKind::Text;
};

/// One grid over one table of the wage store.
struct GridDefinition
{
    QString table;
    QList<GridColumn> columns;
    QString orderBy; ///< fields of the ORDER BY clause; rows of equal keys keep the order they were stored in
    /// Whether a typed text may replace a cell: nothing when it may, else the message to show (empty: refused
    /// without a message).
    std::function<std::optional<QString>(int column, const QString& text)> refusal;
    /// Completes a row's values (the stored forms, by column) before they are written.
    std::function<void(QVariantList& values)> completeRow;
};

/// An editable grid over a table of the wage store. Rows are keyed by the store's own row number, so two rows of
/// equal values stay two rows. The row being edited holds its changes until it is left (another row edited,
/// submitPending(), a row added or deleted, a refresh); they are then written in one transaction. A refused
/// value never reaches the store; a failed write is reported with kDataErrorPrefix and the row shows again what
/// the store holds.
class StoreGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    StoreGridModel(const QSqlDatabase& db, GridDefinition definition, Dialogs& dialogs, QObject* parent = nullptr);

    const GridDefinition& definition() const { return m_definition; }

    /// Runs the grid's query again, after writing the row being edited. False when the store could not be read
    /// (the error was shown; the grid is then empty).
    bool load();

    /// Writes the row being edited. Returns false when the write failed (shown, and the row reverted).
    bool submitPending();
    /// Forgets the changes of the row being edited; a new row that was never written goes away.
    void revertPending();
    /// The row being edited, or -1.
    int editedRow() const { return m_editedRow; }
    /// The row written last, or -1 when none was written since the grid was loaded.
    int lastModifiedRow() const { return m_lastModifiedRow; }

    /// Writes the row being edited and appends an empty row for the user to fill; returns its position. The row
    /// reaches the store when it is left with something typed in it (fields never typed get the table's
    /// defaults); left empty, it goes away.
    int addRow();
    /// Deletes the row from the store and the grid. Returns the row to make current (the next, or the last when
    /// none follows; -1 when the grid is empty), or `row` itself when the delete failed (shown).
    int deleteRow(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    /// Takes a typed text. Refused texts leave the cell as it was.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    struct Row
    {
        qint64 rowId = 0; ///< 0 for a row not yet in the store
        QVariantList values;
        QVariantList original; ///< the values before the pending changes
        QList<bool> changed;
    };

    QString shownText(const QVariant& stored, GridValueKind kind) const;
    std::optional<QVariant> storedValue(const QString& text, GridValueKind kind) const;
    void writeRow(Row& row);
    std::optional<QVariantList> readStoredRow(qint64 rowId);
    void dataError(const QString& text);
    void removeGridRow(int row);
    QString selectList() const;

    QSqlDatabase m_db;
    GridDefinition m_definition;
    Dialogs& m_dialogs;
    QList<Row> m_rows;
    int m_editedRow = -1;
    int m_lastModifiedRow = -1;
};

} // namespace wagetrove
