#include "store/submittermodel.h"

#include "store/schema.h"
#include "store/sqlutil.h"
#include "store/storeerror.h"

#include <QSqlError>

namespace wagetrove {

const QStringList& SubmitterModel::boundFields()
{
    static const QStringList fields = {
        QStringLiteral("Name"),  QStringLiteral("Address"), QStringLiteral("City"),
        QStringLiteral("State"), QStringLiteral("Zip"),     QStringLiteral("Contact"),
        QStringLiteral("Phone"), QStringLiteral("EIN"),     QStringLiteral("Email"),
    };
    return fields;
}

SubmitterModel::SubmitterModel(const QSqlDatabase& db, QObject* parent) : QSqlTableModel(parent, db)
{
    setEditStrategy(QSqlTableModel::OnManualSubmit);
}

std::optional<QString> SubmitterModel::load()
{
    setTable(schema::kSubmitter);
    if (!select()) {
        return lastError().text().trimmed();
    }
    while (canFetchMore()) {
        fetchMore();
    }
    if (rowCount() == 0) {
        // Every field gets a value so that the INSERT names them all, even when nothing is typed.
        insertRow(0);
        for (const QString& field : boundFields()) {
            setData(index(0, fieldIndex(field)), QString());
        }
    }
    return std::nullopt;
}

std::optional<QString> SubmitterModel::save()
{
    try {
        QSqlDatabase db = database();
        Transaction transaction(db);
        if (!submitAll()) {
            return lastError().text().trimmed();
        }
        transaction.commit();
    } catch (const StoreError& error) {
        return error.message();
    }
    return std::nullopt;
}

bool SubmitterModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role == Qt::EditRole && value.metaType().id() == QMetaType::QString && value.toString().isNull()) {
        return QSqlTableModel::setData(index, QStringLiteral(""), role);
    }
    return QSqlTableModel::setData(index, value, role);
}

} // namespace wagetrove
