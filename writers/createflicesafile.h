#pragma once

#include <QDate>
#include <QString>

namespace wagetrove {

class Dialogs;
struct Session;

/// What the user is told when the Florida file could not be written for any reason other than a value.
inline const QString kCreateFLICESAFileError =
    QStringLiteral("Unexpected Error has occured in CreateICESAFile. Try Again.");

/// Writes the Florida UCT-6 quarterly report to `fileName`: the "00" transmitter record, the "01" employer record
/// with the quarter's totals as the session and the totals window hold them, one "02" record per employee in
/// LastName order, the "03" monthly employment record and the "99" end record. Every record but "99" ends with CR LF.
/// The employees with nothing to report are removed first. The file appears only when complete; on failure the
/// user is told why and the result is false.
bool CreateFLICESAFile(Session& session, Dialogs& dialogs, const QString& fileName);

/// The same, dated `today` in the end record.
bool CreateFLICESAFile(Session& session, Dialogs& dialogs, const QString& fileName, QDate today);

} // namespace wagetrove
