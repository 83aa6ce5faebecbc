#pragma once

#include <QString>

namespace wagetrove {

class Dialogs;
struct Session;

/// What the user is told when the PFML workbook could not be written for any reason other than the template.
inline const QString kCreateMAPFMLFileError =
    QStringLiteral("Unexpected Error has occured in CreateMAPFMLFile. Try Again.");

/// Writes the Massachusetts PFML contribution workbook to `fileName`: a fresh copy of the data folder's PFML.xlsx
/// with one row per employee in LastName order from row 3 on (SSN as stored, first and last names in upper case,
/// gross and taxable wages as numbers, and the totals window's "Med %" and "Family %" boxes as typed). The
/// employees with nothing to report are removed first. The file appears only when complete; on failure the user
/// is told why and the result is false.
bool CreateMAPFMLFile(Session& session, Dialogs& dialogs, const QString& fileName);

} // namespace wagetrove
