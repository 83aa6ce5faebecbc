#pragma once

#include <QString>

namespace wagetrove {

class Dialogs;
struct Session;

/// What the user is told when the Tennessee file could not be written for any reason other than a value.
inline const QString kCreateTNICESAFileError =
    QStringLiteral("Unexpected Error has occured in CreateTNICESAFile. Try Again.");

/// Writes the Tennessee quarterly wage file to `fileName`: an E record, one S record per employee in LastName
/// order with the blanks taken out of the names, and an F record, each 275 characters and CR LF. Reads the EIN and
/// State ID of the totals window and the session's wage store, after removing the employees with nothing to
/// report. The file appears only when complete; on failure the user is told why and the result is false.
bool CreateTNICESAFile(Session& session, Dialogs& dialogs, const QString& fileName);

} // namespace wagetrove
