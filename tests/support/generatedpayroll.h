#pragma once

#include <QByteArray>
#include <QString>

namespace wagetrove::test {

/// Writes a wages workbook of `employees` rows for quarter 1 of 2025: employer 12-3456789 at rate 2.7, SSNs
/// from 100000000 on, gross between $1,000 and $26,000, every third employee without a middle initial and every
/// fifth not counted in month 3; its second sheet holds the employer. False when it could not be written.
bool writeGeneratedWorkbook(const QString& path, int employees);

/// A company as the simulated QuickBooks reads it (its JSON): `employees` employees in Illinois, each paid
/// every Friday of quarter 1 of 2025 through the items "Hourly Rate" and "IL - Unemployment Company".
QByteArray generatedCompany(int employees);

} // namespace wagetrove::test
