#pragma once

#include "app/session.h"
#include "store/wagestore.h"

#include <QSqlQuery>
#include <QTextStream>

#include <exception>

namespace wagetrove::bench {

/// Creates the session's wage store with `employees` employees of varied names and wages; says why not.
inline bool prepareStore(Session& session, int employees, QTextStream& out)
{
    try {
        WageStore::createEmpty(session.DataFolder + WageStore::kFileName);
        WageStore store;
        store.open(session.DataFolder + WageStore::kFileName);
        QSqlDatabase database = store.database();
        QSqlQuery insert(database);
        insert.prepare(QStringLiteral("INSERT INTO Employee (Name, SS, LastName, FirstName, GrossWages, "
                                      "TaxableWages) VALUES (?, ?, ?, ?, ?, ?)"));
        bool filled = database.transaction();
        for (int i = 0; filled && i < employees; ++i) {
            const qlonglong wages = 10000000 + (qlonglong(i) * 7919) % 250000000;
            const QString lastName = QStringLiteral("last%1").arg((i * 7) % employees);
            insert.addBindValue(lastName + QStringLiteral(" first%1").arg(i));
            insert.addBindValue(QString::number(100000000 + i));
            insert.addBindValue(lastName);
            insert.addBindValue(QStringLiteral("first%1").arg(i));
            insert.addBindValue(wages);
            insert.addBindValue(wages);
            filled = insert.exec();
        }
        if (filled && database.commit()) {
            return true;
        }
        out << "could not fill the wage store\n";
    } catch (const std::exception& error) {
        out << "could not prepare the wage store: " << error.what() << '\n';
    }
    return false;
}

} // namespace wagetrove::bench
