#include "app/commands.h"

#include "app/session.h"
#include "app/settings.h"
#include "common/dialogs.h"
#include "forms/fillwagelisting.h"
#include "forms/openfilledpdf.h"

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

} // namespace wagetrove
