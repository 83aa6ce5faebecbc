#include "app/mainwindowstate.h"

namespace wagetrove {

bool MainWindowState::isEnabled(MainCommand command) const
{
    switch (command) {
    case MainCommand::GetPayrollData:
        return getPayrollDataEnabled;
    case MainCommand::ViewTotals:
    case MainCommand::EditChange:
    case MainCommand::CreateFile:
        return resultsEnabled;
    case MainCommand::WageListing:
        return wageListingEnabled;
    default:
        return true;
    }
}

QString MainWindowState::whyDisabled(MainCommand command) const
{
    if (isEnabled(command)) {
        return {};
    }
    if (command == MainCommand::GetPayrollData) {
        return QStringLiteral("Choose a quarter or enter its From and To dates first");
    }
    return QStringLiteral("Load the quarter's wages first");
}

} // namespace wagetrove
