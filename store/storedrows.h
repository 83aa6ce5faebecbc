#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

namespace wagetrove {

/// A forward-only SELECT run on SQLite's own statement API, for the loops over every employee, where building a
/// QVariant for each value through QSqlQuery costs more than the work done with it. A value reads as QSqlQuery
/// would give it: value() is the QVariant QtSql's SQLite driver makes.
class StoredRows
{
public:
    /// Prepares the statement; throws StoreError when the store is not open or the statement is wrong.
    StoredRows(const QSqlDatabase& db, const QString& select);
    ~StoredRows();
    StoredRows(const StoredRows&) = delete;
    StoredRows& operator=(const StoredRows&) = delete;

    /// Steps to the next row; false after the last. Throws StoreError when SQLite fails.
    bool next();

    /// The column's value as the driver makes it: an integer as qlonglong, a real as double, a blob as
    /// QByteArray, a text as QString, NULL as a null QVariant.
    QVariant value(int column) const;
    /// The column's text, as value(column).toString() gives it; a text column is read without the QVariant.
    QString text(int column) const;
    /// Whether the column holds an integer (read then with integer()).
    bool isInteger(int column) const;
    qint64 integer(int column) const;
    QString columnName(int column) const;

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
};

} // namespace wagetrove
