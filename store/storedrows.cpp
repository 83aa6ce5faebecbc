#include "store/storedrows.h"

#include "store/sqlutil.h"
#include "store/storeerror.h"

#include <sqlite3.h>

namespace wagetrove {

StoredRows::StoredRows(const QSqlDatabase& db, const QString& select) : m_db(sqliteConnection(db))
{
    if (m_db == nullptr) {
        throw StoreError(QStringLiteral("The wage store is not open."));
    }
    const QByteArray sql = select.toUtf8();
    if (sqlite3_prepare_v2(m_db, sql.constData(), static_cast<int>(sql.size()), &m_statement, nullptr) != SQLITE_OK) {
        m_statement = nullptr;
        throw StoreError(QStringLiteral("The wage store could not prepare \"%1\": %2")
                             .arg(select, QString::fromUtf8(sqlite3_errmsg(m_db))));
    }
}

StoredRows::~StoredRows()
{
    sqlite3_finalize(m_statement);
}

bool StoredRows::next()
{
    const int result = sqlite3_step(m_statement);
    if (result == SQLITE_ROW) {
        return true;
    }
    if (result == SQLITE_DONE) {
        return false;
    }
    throw StoreError(
        QStringLiteral("The wage store could not be read: %1").arg(QString::fromUtf8(sqlite3_errmsg(m_db))));
}

QVariant StoredRows::value(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement, column));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(m_statement, column)),
                                   sqlite3_column_bytes(m_statement, column)));
    case SQLITE_NULL:
        return QVariant();
    default:
        return QVariant(text(column));
    }
}

QString StoredRows::text(int column) const
{
    if (sqlite3_column_type(m_statement, column) != SQLITE_TEXT) {
        return value(column).toString();
    }
    // Read as stored (UTF-8): asking for UTF-16 would have SQLite convert every value first.
    const auto* characters = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return QString::fromUtf8(characters, sqlite3_column_bytes(m_statement, column));
}

bool StoredRows::isInteger(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_INTEGER;
}

qint64 StoredRows::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

QString StoredRows::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

} // namespace wagetrove
