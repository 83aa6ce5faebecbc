#include "totals/recalculatetotals.h"

#include "app/session.h"
#include "app/statecatalogue.h"
#include "common/formats.h"
#include "store/schema.h"
#include "store/sqlutil.h"
#include "store/storeerror.h"
#include "store/wagestore.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace wagetrove {
namespace {

/// The Kentucky service capacity upgrade fund rate, in percent.
constexpr Currency kScufRate = Currency::fromRaw(750);

/// Stores a row no loader completed: all three month flags, StateCode "12", upper-case names and the quarter.
void completeRow(QSqlDatabase& db, const QSqlQuery& row, const QString& quarterEnding)
{
    QSqlQuery update(db);
    update.prepare(QStringLiteral("UPDATE [Employee] SET [Month1] = 1, [Month2] = 1, [Month3] = 1, [StateCode] = '12', "
                                  "[Name] = ?, [FirstName] = ?, [MiddleName] = ?, [LastName] = ?, [QuarterEnding] = ? "
                                  "WHERE rowid = ?"));
    for (int field = 1; field <= 4; ++field) {
        const QVariant value = row.value(field);
        update.addBindValue(value.isNull() ? value : QVariant(value.toString().toUpper()));
    }
    update.addBindValue(quarterEnding);
    update.addBindValue(row.value(0));
    update.exec();
}

/// Sums the wages and counts each month's employees. A row no loader completed counts in every month.
void sumEmployees(Session& session, QSqlDatabase& db)
{
    QSqlQuery sums(db);
    if (!sums.exec(QStringLiteral("SELECT sum(COALESCE([GrossWages], 0)), sum(COALESCE([TaxableWages], 0)), "
                                  "sum(COALESCE([Month1], 0) <> 0 OR [StateCode] = ' '), sum(COALESCE([Month2], 0) <> "
                                  "0 OR [StateCode] = ' '), "
                                  "sum(COALESCE([Month3], 0) <> 0 OR [StateCode] = ' ') FROM [Employee]")) ||
        !sums.next()) {
        return; // an empty table or sums beyond the range leave the totals at 0
    }
    session.TotalWages = Currency::fromRaw(sums.value(0).toLongLong());
    session.TaxableTotal = Currency::fromRaw(sums.value(1).toLongLong());
    session.Month1Count = sums.value(2).toInt();
    session.Month2Count = sums.value(3).toInt();
    session.Month3Count = sums.value(4).toInt();
}

} // namespace

Currency taxAtRate(Currency amount, Currency ratePercent)
{
    return amount.atRate(ratePercent).value_or(Currency());
}

Currency modifiedRateOf(Currency rate)
{
    return rate.minus(kScufRate).value_or(rate);
}

void RecalculateTotals(Session& session)
{
    session.TotalWages = Currency();
    session.TaxableTotal = Currency();
    session.Month1Count = 0;
    session.Month2Count = 0;
    session.Month3Count = 0;

    if (session.Store.isOpen()) {
        QSqlDatabase& db = session.Store.database();
        try {
            session.Store.runStoredQuery(schema::kDeleteZeros);
        } catch (const StoreError&) {
            // Skipped like every failing step: the sums below still run.
        }
        sumEmployees(session, db);
        try {
            Transaction transaction(db);
            QSqlQuery rows(db);
            rows.setForwardOnly(true);
            if (rows.exec(QStringLiteral("SELECT rowid, [Name], [FirstName], [MiddleName], [LastName] FROM "
                                         "[Employee] WHERE [StateCode] = ' '"))) {
                while (rows.next()) {
                    completeRow(db, rows, session.ToMonthYear);
                }
            }
            rows.finish();
            transaction.commit();
        } catch (const StoreError&) {
            // Skipped like every failing step: the totals above stand.
        }
    }

    TotalsWindowBoxes& boxes = session.Form3;
    boxes.Text1 = QString::number(session.Month1Count);
    boxes.Text3 = QString::number(session.Month2Count);
    boxes.Text4 = QString::number(session.Month3Count);
    boxes.Text2 = formatDollars(session.TotalWages);
    boxes.Text5 = formatDollars(session.TaxableTotal);
    boxes.Text6 = formatRate(session.Rate);
    boxes.Text7 = formatDollars(taxAtRate(session.TaxableTotal, session.Rate));
    boxes.Text12 = formatDollars(session.SWHWagesTotal);
    boxes.Text13 = formatDollars(session.SWHAmountTotal);

    session.ModifiedRate = modifiedRateOf(session.Rate);

    // The PFML report keeps the employer's medical and family shares, in percent, in the rate and tax boxes.
    if (stateAt(session.StatePosition).item() == StateItem::MassachusettsPFML) {
        boxes.Text6 = QStringLiteral("100");
        boxes.Text7 = QStringLiteral("100");
    }
}

std::optional<QString> RecalculateTotalsInStore(Session& session)
{
    try {
        session.Store.open(session.DataFolder + WageStore::kFileName);
    } catch (const StoreError& error) {
        return error.message();
    }
    RecalculateTotals(session);
    session.Store.close();
    return std::nullopt;
}

} // namespace wagetrove
