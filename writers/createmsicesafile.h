#pragma once

#include <QString>

namespace wagetrove {

class Dialogs;
struct Session;

/// What the user is told when the Mississippi file could not be written for any reason other than a value.
inline const QString kCreateMSICESAFileError =
    QStringLiteral("Unexpected Error has occured in CreateMSICESAFile. Try Again.");

/// Writes the Mississippi quarterly wage file to `fileName`: one ICESA S record per employee in LastName order,
/// each 275 characters and CR LF, with the State ID of the totals window as typed. Reads the session's wage store
/// after removing the employees with nothing to report. The file appears only when complete; on failure the user
/// is told why and the result is false.
bool CreateMSICESAFile(Session& session, Dialogs& dialogs, const QString& fileName);

} // namespace wagetrove
