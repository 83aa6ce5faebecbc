#include "store/sqlutil.h"

#include "store/storeerror.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace wagetrove {

QString lastErrorText(const QSqlQuery& query)
{
    return query.lastError().text().trimmed();
}

sqlite3* sqliteConnection(const QSqlDatabase& db)
{
    const QVariant handle = db.isOpen() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        return nullptr;
    }
    return *static_cast<sqlite3* const*>(handle.constData());
}

namespace {

QSqlQuery run(QSqlDatabase& db, const QString& statement, const QVariantList& values)
{
    QSqlQuery query(db);
    if (!query.prepare(statement)) {
        throw StoreError(
            QStringLiteral("The wage store could not prepare \"%1\": %2").arg(statement, lastErrorText(query)));
    }
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        throw StoreError(
            QStringLiteral("The wage store could not run \"%1\": %2").arg(statement, lastErrorText(query)));
    }
    return query;
}

} // namespace

void exec(QSqlDatabase& db, const QString& statement, const QVariantList& values)
{
    run(db, statement, values);
}

QVariant scalar(QSqlDatabase& db, const QString& statement, const QVariantList& values)
{
    QSqlQuery query = run(db, statement, values);
    return query.next() ? query.value(0) : QVariant();
}

Transaction::Transaction(QSqlDatabase& db) : m_db(db)
{
    // A savepoint outside any transaction begins one; inside one, it nests.
    QSqlQuery begin(m_db);
    if (!begin.exec(QStringLiteral("SAVEPOINT change"))) {
        throw StoreError(QStringLiteral("The wage store could not start a change: %1").arg(lastErrorText(begin)));
    }
    m_open = true;
}

Transaction::~Transaction()
{
    if (m_open && m_db.isOpen()) {
        QSqlQuery undo(m_db);
        undo.exec(QStringLiteral("ROLLBACK TO change"));
        undo.exec(QStringLiteral("RELEASE change"));
    }
}

void Transaction::commit()
{
    QSqlQuery release(m_db);
    if (!release.exec(QStringLiteral("RELEASE change"))) {
        throw StoreError(QStringLiteral("The wage store could not save a change: %1").arg(lastErrorText(release)));
    }
    m_open = false;
}

} // namespace wagetrove
