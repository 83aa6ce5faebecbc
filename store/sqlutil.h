#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantList>

class QSqlQuery;
struct sqlite3;

namespace wagetrove {

/// A table or field name as a statement writes it: "[County Code]".
inline QString bracketed(const QString& name)
{
    return QLatin1Char('[') + name + QLatin1Char(']');
}

/// The driver's and the database's error texts of a failed query, joined.
QString lastErrorText(const QSqlQuery& query);

/// The SQLite connection under an open store connection, for the loops that use SQLite's own statement API;
/// null when the connection is not an open SQLite one.
sqlite3* sqliteConnection(const QSqlDatabase& db);

/// Runs one statement with bound values; throws StoreError naming the statement on failure.
void exec(QSqlDatabase& db, const QString& statement, const QVariantList& values = {});

/// The first column of the first row of a query; throws StoreError on failure.
QVariant scalar(QSqlDatabase& db, const QString& statement, const QVariantList& values = {});

/// One change to the store, all or nothing: rolled back on destruction unless committed, so that a failure leaves
/// the store as it was. A change begun inside another becomes part of it (a savepoint): it is undone alone, and
/// kept only when the outer change is committed.
class Transaction
{
public:
    explicit Transaction(QSqlDatabase& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    QSqlDatabase& m_db;
    bool m_open = false;
};

} // namespace wagetrove
