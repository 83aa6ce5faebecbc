#pragma once

#include <QStringList>

#include <functional>

class QSqlDatabase;

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

/// Shows a grid window over the wage store, which stays open for this command alone while it shows.
using GridWindowRunner = std::function<void(QSqlDatabase& store)>;

/// Edit/Change: shows the Wage Details grid, then reruns the totals pass on the store so that the totals window
/// and every later file follow the edits.
void EditChangeCommand(Session& session, Dialogs& dialogs, const GridWindowRunner& showWageDetails);

/// Edit Company Info: shows the StateIDTable grid.
void EditCompanyInfoCommand(Session& session, Dialogs& dialogs, const GridWindowRunner& showStateIdTable);

} // namespace wagetrove
