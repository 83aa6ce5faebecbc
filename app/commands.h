#pragma once

#include <QStringList>

#include <functional>

namespace wagetrove {

class Dialogs;
struct Session;

/// Exit: remembers the selected list position as LastState. Returns false when the settings file could not be
/// written (the user is told; the program still ends).
bool ExitCommand(Session& session, Dialogs& dialogs);

/// Opens the maker's web site with the system's browser.
void OpenWebSiteCommand(const Session& session, Dialogs& dialogs);

/// Wage Listing: fills the wage listing into the data folder's FilledInWL.pdf and shows it, unless a window
/// whose title `windowTitles` lists says Acrobat Reader is running.
void WageListingCommand(Session& session, Dialogs& dialogs, const std::function<QStringList()>& windowTitles);

} // namespace wagetrove
