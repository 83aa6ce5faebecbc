#pragma once

#include <QDate>
#include <QString>

namespace wagetrove {

class Dialogs;
struct Session;

/// What the user is told when the Texas, Kentucky or South Carolina file could not be written for any reason other
/// than a value.
inline const QString kCreateICESAFileError =
    QStringLiteral("Unexpected Error has occured in CreateICESAFile. Try Again.");

/// Writes the quarterly wage report in the ICESA layout of the session's state, Texas, Kentucky or South Carolina,
/// to `fileName`: the A record, the B record (not for Kentucky), the E record, one S record per employee in
/// LastName order, the T and F records, each 275 characters and CR LF. Texas adds its county fields, Kentucky its
/// excess wages, its surcharge by year and quarter and, where that surcharge is filed apart, the rate without it
/// (the session's Rate stays as it is). Reads the transmitter and totals boxes of the session and its wage store,
/// after removing the employees with nothing to report. The file appears only when complete; on failure the user
/// is told why and the result is false.
bool CreateICESAFile(Session& session, Dialogs& dialogs, const QString& fileName);

/// The same, dated `today` in the transmitter record of Texas and South Carolina.
bool CreateICESAFile(Session& session, Dialogs& dialogs, const QString& fileName, QDate today);

} // namespace wagetrove
