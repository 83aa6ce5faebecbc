#pragma once

#include <QString>

namespace wagetrove {

class Dialogs;
struct Session;

/// What the user is told when the Connecticut file could not be written for any reason other than a value.
inline const QString kCreateCTICESAFileError =
    QStringLiteral("Unexpected Error has occured in CreateCTICESAFile. Try Again.");

/// Writes the Connecticut quarterly wage file to `fileName`: one ICESA S record per employee in LastName order,
/// 275 characters and CR LF, and no other record. Reads the State ID of the totals window and the session's period;
/// the employees with nothing to report are removed first. The file appears only when complete; on failure the
/// user is told why and the result is false.
bool CreateCTICESAFile(Session& session, Dialogs& dialogs, const QString& fileName);

} // namespace wagetrove
