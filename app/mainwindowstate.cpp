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

} // namespace wagetrove
