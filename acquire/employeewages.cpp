#include "acquire/employeewages.h"

#include "acquire/qb/qbxmlrequests.h"
#include "acquire/qb/qbxmlresponses.h"
#include "acquire/reportloaders.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "common/lettercase.h"
#include "store/bulkinsert.h"
#include "store/schema.h"
#include "store/sqlutil.h"
#include "store/storeerror.h"

namespace wagetrove {
namespace {

/// A first or last name as the files want it: upper case, with points and commas as blanks.
QString cleanName(const QString& name)
{
    QString cleaned = upperCased(name);
    cleaned.replace(QLatin1Char('.'), QLatin1Char(' '));
    cleaned.replace(QLatin1Char(','), QLatin1Char(' '));
    return cleaned;
}

/// The nine digits of an SSN given as NNN-NN-NNNN.
QString ssDigits(const QString& ssn)
{
    return ssn.left(3) + ssn.mid(4, 2) + ssn.right(4);
}

/// The employee's name as it is stored, and so as the detail report's names are matched against.
QString storedName(const QbEmployee& employee)
{
    return upperCased(employee.name);
}

/// Whether QuickBooks listed the employees, so that there are rows to store.
bool listsEmployees(const QbResponse* response)
{
    return response != nullptr && response->status.code == 0 && !response->employees.isEmpty();
}

} // namespace

void GetEmployeeData(Session& session, const QbResponse* response, const std::vector<EmployeeWages>& wages)
{
    if (!listsEmployees(response)) {
        return;
    }
    QSqlDatabase& db = session.Store.database();
    try {
        Transaction transaction(db);
        // The name indexes are built once from the loaded rows, as the workbook's import does.
        schema::dropEmployeeNameIndexes(db);
        BulkInsert insert(db, QStringLiteral("INSERT INTO [Employee] ([StateCode], [UnitCode], [SS], [Name], "
                                             "[FirstName], [MiddleName], [LastName], [QuarterEnding], [GrossWages], "
                                             "[TaxableWages], [SWHWages], [SWHAmount], [Month1], [Month2], [Month3], "
                                             "[Owner]) VALUES ('48', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '0')"));
        const EmployeeWages none;
        for (qsizetype i = 0; i < response->employees.size(); ++i) {
            const QbEmployee& employee = response->employees[i];
            const EmployeeWages& paid = size_t(i) < wages.size() ? wages[size_t(i)] : none;
            QString unitCode = QStringLiteral(" ");
            for (const QbCustomField& field : employee.customFields) {
                if (field.name == session.QBFieldNameSoc) {
                    unitCode = field.value;
                }
            }
            const QString middle = employee.middleName.value_or(QString());
            insert.bind(1, unitCode);
            insert.bind(2, ssDigits(employee.ssn));
            insert.bind(3, storedName(employee));
            insert.bind(4, cleanName(employee.firstName));
            insert.bind(5, middle.isEmpty() ? QStringLiteral(" ") : upperCased(middle));
            insert.bind(6, cleanName(employee.lastName));
            insert.bind(7, session.ToMonthYear);
            insert.bind(8, paid.gross.raw());
            insert.bind(9, paid.taxable.raw());
            insert.bind(10, paid.swhWages.raw());
            insert.bind(11, paid.swhAmount.raw());
            for (int m = 0; m < 3; ++m) {
                insert.bind(12 + m, qint64(paid.month[m]));
            }
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
    QbResponse* const employees = at(qbindex::kEmployees);
    // The detail report is walked before the employees are stored, so that each row is stored with its wages.
    std::vector<EmployeeWages> wages;
    const bool detail = readsWageDetailReport(session);
    if (detail) {
        QStringList names;
        if (listsEmployees(employees)) {
            names.reserve(employees->employees.size());
            for (const QbEmployee& employee : employees->employees) {
                names << storedName(employee);
            }
        }
        wages = LoadSUTAData(session, dialogs, at(qbindex::kWages), names);
        if (session.DataError) {
            return;
        }
    }
    GetEmployeeData(session, employees, wages);
    if (employees) {
        employees->employees = QList<QbEmployee>();
    }
    if (detail && stateAt(session.StatePosition).item() != StateItem::MassachusettsQuest) {
        return;
    }
    const bool yearToDate = session.Quarter != QLatin1String("1") && session.CalcTaxable;
    if (const int summary = payrollSummaryIndex(session); summary >= 0) {
        LoadPayrollSummary(session, dialogs, at(summary));
        if (!session.DataError && yearToDate) {
            LoadYTD(session, dialogs, at(yearToDateIndex(session)));
        }
    }
}

} // namespace wagetrove
