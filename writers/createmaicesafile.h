#pragma once

#include <QString>

namespace wagetrove {

class Dialogs;
struct Session;

/// What the user is told when the Massachusetts Quest file could not be written for any reason other than a value.
inline const QString kCreateMAICESAFileError =
    QStringLiteral("Unexpected Error has occured in CreateMAICESAFile. Try Again.");

/// Writes the Massachusetts quarterly wage file for the Quest upload to `fileName`: one ICESA S record per employee
/// in LastName order with hours, withholding and owner fields, 274 characters and a carriage return, and no other
/// record. Reads the State ID of the totals window and the session's period; the employees with nothing to report
/// are removed first. The file appears only when complete; on failure the user is told why and the result is false.
bool CreateMAICESAFile(Session& session, Dialogs& dialogs, const QString& fileName);

} // namespace wagetrove
