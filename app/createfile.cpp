#include "app/createfile.h"

#include "app/savefolder.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "common/dialogs.h"
#include "totals/prefilingvalidation.h"
#include "writers/createcticesafile.h"
#include "writers/createmaicesafile.h"
#include "writers/createmapfmlfile.h"
#include "writers/createwacsvfile.h"
#include "writers/transmitter.h"

namespace wagetrove {

std::optional<MainWindowTarget> mainWindowTargetFor(const Session& session)
{
    const QString stateId = session.Form3.Text9.trimmed();
    const QDate today = session.Today.isValid() ? session.Today : QDate::currentDate();
    const QString dated =
        stateId + QLatin1Char('_') + today.toString(QStringLiteral("MMddyyyy")) + QStringLiteral(".txt");
    switch (stateAt(session.StatePosition).item()) {
    case StateItem::MassachusettsQuest:
        return MainWindowTarget{QStringLiteral("Create ICESA Quest File"), dated, CreateMAICESAFile,
                                QStringLiteral("File Successfully Created. Now log into the Massachusetts website and "
                                               "upload this file.")};
    case StateItem::MassachusettsPFML:
        return MainWindowTarget{QStringLiteral("Create MA PFML File"),
                                QStringLiteral("PFML-") + stateId + QStringLiteral(".xlsx"),
                                CreateMAPFMLFile,
                                QStringLiteral("File Successfully Created. Now log into the Massachusetts website and "
                                               "upload this file."),
                                false,
                                true};
    case StateItem::Connecticut:
        return MainWindowTarget{QStringLiteral("Create ICESA File"), QStringLiteral("ICESA-") + dated,
                                CreateCTICESAFile,
                                QStringLiteral("File Successfully Created. Now log into the Connecticut website and "
                                               "upload this file.")};
    case StateItem::Washington:
        return MainWindowTarget{QStringLiteral("Create WA CSV File"),
                                session.StateAbbrev + QStringLiteral("-UTAX-") + QString::number(session.TaxYear) +
                                    QLatin1Char('-') + session.Quarter + QStringLiteral(".csv"),
                                CreateWACSVFile,
                                QStringLiteral("File Successfully Created. Now log into the Washington website and "
                                               "upload this file."),
                                true};
    default:
        return std::nullopt;
    }
}

bool isCreateFileOffered(StateItem item)
{
    return hasTransmitterWriter(item) || item == StateItem::MassachusettsQuest ||
           item == StateItem::MassachusettsPFML || item == StateItem::Connecticut || item == StateItem::Washington;
}

bool confirmOtherState(const Session& session, Dialogs& dialogs)
{
    if (session.LoadedStatePosition < 0 || session.LoadedStatePosition == session.StatePosition) {
        return true;
    }
    return dialogs.message(QStringLiteral("The wages were loaded for %1. Create the %2 file from them?")
                               .arg(stateAt(session.LoadedStatePosition).name, stateAt(session.StatePosition).name),
                           kApplicationTitle, MessageIcon::Question, MessageButtons::YesNoDefaultNo) == Answer::Yes;
}

void CreateFileCommand(Session& session, Dialogs& dialogs, const std::function<void()>& showTransmitterWindow)
{
    session.ChecksPassed = false;
    if (!confirmOtherState(session, dialogs)) {
        return;
    }
    PreFilingValidation(session, dialogs);
    if (session.ChecksPassed) {
        if (const auto target = mainWindowTargetFor(session)) {
            // Cancelling the dialog ends the command without a file and without a message.
            if (const auto path = dialogs.saveFile(
                    {target->dialogTitle, target->proposedName, QString(), true, stateFileFolder(session)})) {
                if (target->writer(session, dialogs, *path)) {
                    rememberStateFile(session, *path);
                    dialogs.message(target->pathInMessage ? *path + QLatin1Char(' ') + target->successMessage
                                                          : target->successMessage,
                                    kApplicationTitle);
                    if (target->openAfterwards && !dialogs.openDocument(*path)) {
                        dialogs.message(QStringLiteral("Could not start Excel"), QStringLiteral("Excel not started"),
                                        MessageIcon::Exclamation);
                    }
                }
            }
        } else if (hasTransmitterWriter(stateAt(session.StatePosition).item())) {
            showTransmitterWindow();
        }
    }
    session.Store.close();
}

} // namespace wagetrove
