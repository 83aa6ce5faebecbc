#pragma once

#include "common/currency.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace wagetrove {

/// What a load the user cancelled says; the store is then as it was before the load.
inline const QString kLoadCancelled = QStringLiteral("Get Payroll Data was cancelled.");

class Dialogs;
struct QbResponse;
struct Session;

/// What the wage detail report's rows add up to for one employee: the months with wages and the amounts.
struct EmployeeWages
{
    bool month[3] = {false, false, false};
    Currency gross;
    Currency taxable;
    Currency swhWages;
    Currency swhAmount;
};

/// Walks the wage detail report's data rows: for the rows of a listed employee and the SUI item it sets the month
/// flags and adds gross (income subject to tax) and taxable (wage base) wages and takes the rate; for
/// Massachusetts Quest the SWH item's rows add withholding wages and the amount withheld; for Massachusetts PFML
/// the taxable wages are those dated in the quarter. Returns what the rows add up to for each of `employeeNames`
/// (the names as they are stored), in their order; a report's name finds the first of them that is equal in any
/// letter case. The totals are stored with the employees, in one statement a row rather than an update after.
/// A failed status shows QuickBooks's text and sets DataError, as a failure or a cancel does; nothing is returned
/// then.
std::vector<EmployeeWages> LoadSUTAData(Session& session, Dialogs& dialogs, const QbResponse* report,
                                        const QStringList& employeeNames);

/// Walks the payroll summary's "Total Gross Pay" row for each stored employee's hours and gross pay (taxable
/// wages against the wage limit in a first quarter with CalcTaxable), then removes the employees without wages.
void LoadPayrollSummary(Session& session, Dialogs& dialogs, const QbResponse* report);

/// Walks the year-to-date summary and sets each stored employee's taxable wages to what is left of the wage limit
/// after the wages paid before the quarter.
void LoadYTD(Session& session, Dialogs& dialogs, const QbResponse* report);

} // namespace wagetrove
