#include "acquire/employeewages.h"

#include "acquire/qb/qbxmlrequests.h"
#include "acquire/qb/qbxmlresponses.h"
#include "acquire/reportloaders.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "store/bulkinsert.h"
#include "store/schema.h"
#include "store/sqlutil.h"
#include "store/storeerror.h"

namespace wagetrove {
namespace {

/// A first or last name as the files want it: upper case, with points and commas as blanks.
QString cleanName(const QString& name)
{
    QString cleaned = name.toUpper();
    cleaned.replace(QLatin1Char('.'), QLatin1Char(' '));
    cleaned.replace(QLatin1Char(','), QLatin1Char(' '));
    return cleaned;
}

/// The nine digits of an SSN given as NNN-NN-NNNN.
QString ssDigits(const QString& ssn)
{
    return ssn.left(3) + ssn.mid(4, 2) + ssn.right(4);
}

} // namespace

void GetEmployeeData(Session& session, const QbResponse* response)
{
    if (response == nullptr || response->status.code != 0 || response->employees.isEmpty()) {
        return;
    }
    QSqlDatabase& db = session.Store.database();
    try {
        Transaction transaction(db);
        // The name indexes are built once from the loaded rows, as the workbook's import does.
        schema::dropEmployeeNameIndexes(db);
        BulkInsert insert(db, QStringLiteral("INSERT INTO [Employee] ([StateCode], [UnitCode], [SS], [Name], "
                                             "[FirstName], [MiddleName], [LastName], [QuarterEnding], [GrossWages], "
                                             "[TaxableWages], [Owner]) VALUES ('48', ?, ?, ?, ?, ?, ?, ?, 0, 0, '0')"));
        for (const QbEmployee& employee : response->employees) {
            QString unitCode = QStringLiteral(" ");
            for (const QbCustomField& field : employee.customFields) {
                if (field.name == session.QBFieldNameSoc) {
                    unitCode = field.value;
                }
            }
            const QString middle = employee.middleName.value_or(QString());
            insert.bind(1, unitCode);
            insert.bind(2, ssDigits(employee.ssn));
            insert.bind(3, employee.name.toUpper());
            insert.bind(4, cleanName(employee.firstName));
            insert.bind(5, middle.isEmpty() ? QStringLiteral(" ") : middle.toUpper());
            insert.bind(6, cleanName(employee.lastName));
            insert.bind(7, session.ToMonthYear);
            // A row that cannot be stored is passed over; the others still are.
            insert.run();
        }
        schema::createEmployeeNameIndexes(db);
        transaction.commit();
    } catch (const StoreError&) {
    }
}

void LoadEmployeeWages(Session& session, Dialogs& dialogs, QList<QbResponse> responses)
{
    const auto at = [&responses](int index) {
        return index >= 0 && index < responses.size() ? &responses[index] : nullptr;
    };
    GetEmployeeData(session, at(qbindex::kEmployees));
    if (QbResponse* employees = at(qbindex::kEmployees)) {
        employees->employees = QList<QbEmployee>();
    }
    const bool yearToDate = session.Quarter != QLatin1String("1") && session.CalcTaxable;
    if (readsWageDetailReport(session)) {
        LoadSUTAData(session, dialogs, at(qbindex::kWages));
        if (session.DataError || stateAt(session.StatePosition).item() != StateItem::MassachusettsQuest) {
            return;
        }
    }
    if (const int summary = payrollSummaryIndex(session); summary >= 0) {
        LoadPayrollSummary(session, dialogs, at(summary));
        if (!session.DataError && yearToDate) {
            LoadYTD(session, dialogs, at(yearToDateIndex(session)));
        }
    }
}

} // namespace wagetrove
