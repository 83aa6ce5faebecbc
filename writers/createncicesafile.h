#pragma once

#include <QString>

namespace wagetrove {

class Dialogs;
struct Session;

/// What the user is told when the North Carolina file could not be written for any reason other than a value.
inline const QString kCreateNCICESAFileError =
    QStringLiteral("Unexpected Error has occured in CreateNCICESAFile. Try Again.");

/// Writes the North Carolina quarterly wage file (NCUI 101) to `fileName`: the N header with the quarter's totals
/// and monthly counts as the session holds them and the remitter number RemitID, the E record, and one S record per
/// employee in LastName order, each 275 characters and CR LF. The employees with nothing to report are removed
/// first. The file appears only when complete; on failure the user is told why and the result is false.
bool CreateNCICESAFile(Session& session, Dialogs& dialogs, const QString& fileName);

} // namespace wagetrove
