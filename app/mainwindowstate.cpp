#include "app/mainwindowstate.h"

namespace wagetrove {

bool isCommandAvailable(MainCommand command)
{
    switch (command) {
    case MainCommand::Exit:
    case MainCommand::WebSite:
    case MainCommand::SubmitterOptions:
    case MainCommand::GetPayrollData:
    case MainCommand::ViewTotals:
    case MainCommand::CreateFile:
    case MainCommand::WageListing:
        return true;
    case MainCommand::EditChange:
    case MainCommand::EditCompanyInfo:
        return false;
    }
    return false;
}

bool MainWindowState::isEnabled(MainCommand command) const
{
    if (!isCommandAvailable(command)) {
        return false;
    }
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
