#pragma once

#include <QString>

namespace wagetrove {

class Dialogs;
struct Session;

/// What the user is told when the Washington file could not be written for any reason other than a value.
inline const QString kCreateWACSVFileError =
    QStringLiteral("Unexpected Error has occured in CreateWACSVFile. Try Again.");

/// Writes the Washington quarterly wage file to `fileName` as comma-separated lines, one per employee in Name
/// order, each ended by CR LF: the Social Security number as ddd-dd-dddd, the last, first and middle names in upper
/// case, an empty field, the hours and gross wages in their plain number forms and the SOC code. The employees with
/// nothing to report are removed first. The file appears only when complete; on failure the user is told why and
/// the result is false.
bool CreateWACSVFile(Session& session, Dialogs& dialogs, const QString& fileName);

} // namespace wagetrove
