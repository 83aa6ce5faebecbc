#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <utility>

namespace wagetrove::test {

/// One sheet's rows from row 1: a QString cell is written as an inline string, a number as a number, a bool as
/// a boolean; an invalid QVariant leaves the cell out.
using SheetRows = QList<QVariantList>;

/// A zip file's parts in order: each name with its unpacked content.
using ZipParts = QList<std::pair<QByteArray, QByteArray>>;

/// Every part of a zip file, unpacked, in order; empty when it cannot be read.
ZipParts zipParts(const QString& path);

/// Writes `parts` as a zip file, deflated; false when it could not be written.
bool writeZip(const QString& path, const ZipParts& parts);

/// Writes a minimal workbook with one worksheet per entry of `sheets`, in order. False when it could not be
/// written.
bool writeWorkbook(const QString& path, const QList<SheetRows>& sheets);

/// The rows of a workbook's first sheet as the program's reader sees them, `columns` cells each, joined by "|";
/// a failure to read comes last, as its message.
QStringList sheetRowTexts(const QString& path, int columns);

} // namespace wagetrove::test
