#pragma once

#include <QDate>
#include <QString>

namespace wagetrove {

class Dialogs;
struct Session;

/// What the user is told when the Illinois file could not be written for any reason other than a value.
inline const QString kCreateILICESAFileError =
    QStringLiteral("Unexpected Error has occured in CreateICESAFile. Try Again.");

/// Writes the Illinois quarterly wage report in the ICESA layout to `fileName`: the A, B and E records, one S
/// record per employee in LastName order, the T and F records, 276 bytes each with no line separators. Reads the
/// transmitter and totals boxes of the session and its wage store (the session's open store, or the store of its
/// data folder), after removing the employees with nothing to report. The file appears only when complete; an
/// existing file of that name is replaced then and left as it was otherwise. On failure the user is told why and
/// the result is false.
bool CreateILICESAFile(Session& session, Dialogs& dialogs, const QString& fileName);

/// The same, dated `today` in the transmitter record.
bool CreateILICESAFile(Session& session, Dialogs& dialogs, const QString& fileName, QDate today);

} // namespace wagetrove
