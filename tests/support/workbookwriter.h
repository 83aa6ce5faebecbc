#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace wagetrove::test {

/// One sheet's rows from row 1: a QString cell is written as an inline string, a number as a number, a bool as
/// a boolean; an invalid QVariant leaves the cell out.
using SheetRows = QList<QVariantList>;

/// Writes a minimal workbook with one worksheet per entry of `sheets`, in order. False when it could not be
/// written.
bool writeWorkbook(const QString& path, const QList<SheetRows>& sheets);

/// The rows of a workbook's first sheet as the program's reader sees them, `columns` cells each, joined by "|";
/// a failure to read comes last, as its message.
QStringList sheetRowTexts(const QString& path, int columns);

} // namespace wagetrove::test
