#pragma once

#include <QString>

namespace wagetrove {

struct Session;

/// The folder a state file's save dialog opens in: the folder the user last saved a state file in, when it still
/// exists, or else the documents folder. Never the program's folder or the working folder.
QString stateFileFolder(const Session& session);

/// Remembers a state file just written: its path for the main window's status line, and its folder for the next
/// save dialog, in this run and (in the settings file) the next ones. A folder whose path the settings file would
/// cut short is remembered for this run only. Only the desktop program remembers folders: the command line
/// has no save dialog.
void rememberStateFile(Session& session, const QString& path);

} // namespace wagetrove
