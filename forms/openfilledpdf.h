#pragma once

#include <QString>
#include <QStringList>

namespace wagetrove {

class Dialogs;
struct Session;

/// Sets `AcrobatRunning` when one of the top-level windows' titles begins with "Acrobat Reader", and then asks
/// the user to close it.
void CheckAcrobatRunning(Session& session, Dialogs& dialogs, const QStringList& windowTitles);

/// Deletes the data folder's FilledIn*.pdf files other than `keptName` (names compared without regard to case):
/// the page files of this run and of earlier ones. A file that cannot be deleted stays.
void RemoveFilledInPages(const QString& dataFolder, const QString& keptName);

/// Shows the filled form `fileName` of the data folder with the system's PDF viewer, unless Acrobat Reader is
/// running, after removing the page files; says so when no viewer is found or it does not start.
void OpenFilledPdf(Session& session, Dialogs& dialogs, const QString& fileName, const QStringList& windowTitles);

} // namespace wagetrove
