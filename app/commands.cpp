#include "app/commands.h"

#include "app/session.h"
#include "app/settings.h"
#include "common/dialogs.h"
#include "forms/fillwagelisting.h"
#include "forms/openfilledpdf.h"
#include "store/storeerror.h"
#include "store/storegridmodel.h"
#include "totals/recalculatetotals.h"

#include <QDir>

namespace wagetrove {

bool ExitCommand(Session& session, Dialogs& dialogs)
{
    session.LastState = QString::number(session.StatePosition);
    if (!WriteSetting(session, settingkeys::kLastState, session.LastState)) {
        dialogs.message(QStringLiteral("The settings file %1 could not be written.")
                            .arg(QDir::toNativeSeparators(session.SettingsFile)),
                        kApplicationTitle, MessageIcon::Exclamation);
        return false;
    }
    return true;
}

void OpenWebSiteCommand(const Session& session, Dialogs& dialogs)
{
    if (!dialogs.openDocument(webSiteAddress(session))) {
        dialogs.message(QStringLiteral("Could not start browser"), QStringLiteral("Browser not started"),
                        MessageIcon::Exclamation);
    }
}

void WageListingCommand(Session& session, Dialogs& dialogs, const std::function<QStringList()>& windowTitles)
{
    if (FillWageListing(session, dialogs, session.DataFolder + kFilledWageListingName)) {
        OpenFilledPdf(session, dialogs, kFilledWageListingName, windowTitles());
    }
}

namespace {

bool showOverStore(Session& session, Dialogs& dialogs, const GridWindowRunner& showWindow)
{
    try {
        session.Store.open(session.DataFolder + WageStore::kFileName);
    } catch (const StoreError& error) {
        dialogs.message(kDataErrorPrefix + error.message(), kApplicationTitle);
        return false;
    }
    showWindow(session.Store.database());
    session.Store.close();
    return true;
}

} // namespace

void EditChangeCommand(Session& session, Dialogs& dialogs, const GridWindowRunner& showWageDetails)
{
    if (!showOverStore(session, dialogs, showWageDetails)) {
        return;
    }
    BusyScope busy(dialogs);
    if (const std::optional<QString> problem = RecalculateTotalsInStore(session)) {
        dialogs.message(*problem, kApplicationTitle, MessageIcon::Exclamation);
    }
}

void EditCompanyInfoCommand(Session& session, Dialogs& dialogs, const GridWindowRunner& showStateIdTable)
{
    showOverStore(session, dialogs, showStateIdTable);
}

} // namespace wagetrove
