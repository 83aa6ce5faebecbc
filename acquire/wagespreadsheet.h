#pragma once

#include <QString>
#include <QStringList>

namespace wagetrove {

class Dialogs;
struct Session;

/// The headers row 1 of the wages sheet must hold, columns A to L.
QStringList wagesSheetHeaders();

/// The headers row 1 of the employer information sheet must hold, columns A to H.
QStringList employerSheetHeaders();

/// Imports the quarter's wages from a workbook the user chooses: one Employee row per row of the first sheet
/// and, in the mode without QuickBooks, the Employer row from the second sheet. The session's store must be
/// open. The import is all or nothing: on any failure the store and the session hold what they held before,
/// DataError is on and the user was told why.
void ImportWageSpreadsheet(Session& session, Dialogs& dialogs);

/// The same import from a given workbook, without the file dialog.
void ImportWageSpreadsheetFile(Session& session, Dialogs& dialogs, const QString& path);

} // namespace wagetrove
