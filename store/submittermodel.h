#pragma once

#include <QSqlTableModel>
#include <QStringList>

#include <optional>

namespace wagetrove {

/// The Submitter row for the nine bound fields of the Submitter window: a table model over [Submitter] that keeps
/// edits until save(). A table without a row gets a new, empty one in the model, which save() creates.
class SubmitterModel : public QSqlTableModel
{
    Q_OBJECT

public:
    /// The bound fields, in the order the window shows them.
    static const QStringList& boundFields();

    SubmitterModel(const QSqlDatabase& db, QObject* parent = nullptr);

    /// Reads the table. Returns the error text when it cannot be read.
    std::optional<QString> load();

    /// Writes the edits in one transaction: all of them or none. Returns the error text on failure.
    std::optional<QString> save();

    /// A cleared box is stored as an empty text, never as NULL.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
};

} // namespace wagetrove
