#pragma once

#include <QByteArray>
#include <QString>

namespace wagetrove::test {

/// Writes a wages workbook of `employees` rows for quarter 1 of 2025: employer 12-3456789 at rate 2.7, SSNs
/// from 100000000 on, gross between $1,000 and $26,000, every third employee without a middle initial and every
/// fifth not counted in month 3; its second sheet holds the employer. False when it could not be written.
bool writeGeneratedWorkbook(const QString& path, int employees);

/// How often the generated company pays.
enum class PayPeriod
{
    Weekly, ///< every Friday of the quarter: 13 paychecks
    Monthly ///< the last day of each month: 3 paychecks
};

/// A company as the simulated QuickBooks reads it (its JSON): `employees` employees in Illinois, each paid in
/// quarter 1 of 2025 through the items "Hourly Rate" and "IL - Unemployment Company".
QByteArray generatedCompany(int employees, PayPeriod period = PayPeriod::Weekly);

} // namespace wagetrove::test
