#include "writers/transmitter.h"

#include "app/savefolder.h"
#include "app/session.h"
#include "app/settings.h"
#include "app/statecatalogue.h"
#include "common/dialogs.h"
#include "writers/createflicesafile.h"
#include "writers/createicesafile.h"
#include "writers/createilicesafile.h"
#include "writers/createmdicesafile.h"
#include "writers/createmsicesafile.h"
#include "writers/createncicesafile.h"
#include "writers/createtnicesafile.h"

namespace wagetrove {
namespace {

/// The last two digits of the year.
QString shortYear(qint16 year)
{
    return QStringLiteral("%1").arg(year % 100, 2, 10, QLatin1Char('0'));
}

void tell(Dialogs& dialogs, const QString& text)
{
    dialogs.message(text, kApplicationTitle);
}

} // namespace

bool hasTransmitterWriter(StateItem item)
{
    switch (item) {
    case StateItem::Texas:
    case StateItem::Kentucky:
    case StateItem::Maryland:
    case StateItem::Illinois:
    case StateItem::Mississippi:
    case StateItem::SouthCarolina:
    case StateItem::Florida:
    case StateItem::NorthCarolina:
    case StateItem::Tennessee:
        return true;
    default:
        return false;
    }
}

std::optional<IcesaTarget> icesaTargetFor(const Session& session)
{
    using Writer = bool (*)(Session&, Dialogs&, const QString&);
    const QString icesa = QStringLiteral("Create ICESA File");
    const QString byStateId =
        session.StateAbbrev + QStringLiteral("-UTAX-") + session.Form3.Text9.trimmed() + QStringLiteral(".txt");
    const QString byEin =
        session.StateAbbrev + QStringLiteral("-UTAX-") + session.Form3.Text8.trimmed() + QStringLiteral(".txt");
    const auto upload = [](const char* where) {
        return QStringLiteral("File Successfully Created. Now log into %1 and upload this file.")
            .arg(QLatin1String(where));
    };
    switch (stateAt(session.StatePosition).item()) {
    case StateItem::Illinois:
        return IcesaTarget{icesa,
                           QStringLiteral("L") + session.Form3.Text9 + QLatin1Char('.') + shortYear(session.TaxYear) +
                               session.Quarter,
                           static_cast<Writer>(CreateILICESAFile), upload("Illinois Website")};
    case StateItem::Florida:
        return IcesaTarget{QStringLiteral("Create UCT-6 File"),
                           QStringLiteral("UCT6") + shortYear(session.TaxYear) + QLatin1Char('0') + session.Quarter +
                               QStringLiteral(".txt"),
                           static_cast<Writer>(CreateFLICESAFile), upload("Florida Website")};
    case StateItem::Maryland:
        return IcesaTarget{icesa, byStateId, CreateMDICESAFile,
                           QStringLiteral("File Successfully Created. Send File to State of Maryland.")};
    case StateItem::NorthCarolina:
        return IcesaTarget{icesa, byStateId, CreateNCICESAFile, upload("North Carolina Website")};
    case StateItem::Tennessee:
        return IcesaTarget{icesa, byStateId, CreateTNICESAFile, upload("TN Website")};
    case StateItem::Mississippi:
        return IcesaTarget{icesa, byEin, CreateMSICESAFile, upload("Mississippi Website")};
    case StateItem::Texas:
        return IcesaTarget{icesa, byEin, static_cast<Writer>(CreateICESAFile),
                           QStringLiteral("File Successfully Created. Now Start the TWC QuickFile Utility to send.")};
    case StateItem::Kentucky:
        return IcesaTarget{icesa, byEin, static_cast<Writer>(CreateICESAFile), upload("the Kentucky website")};
    case StateItem::SouthCarolina:
        return IcesaTarget{icesa, byEin, static_cast<Writer>(CreateICESAFile), upload("South Carolina Website")};
    default:
        return std::nullopt;
    }
}

std::optional<QString> transmitterFieldProblem(const TransmitterWindowBoxes& boxes)
{
    const std::pair<const QString*, const char*> required[] = {
        {&boxes.Text1, "Company Name Missing"},
        {&boxes.Text2, "Address Missing"},
        {&boxes.Text3, "City Missing"},
        {&boxes.Text4, "2 character State Missing"},
        {&boxes.Text5, "Zip Code Missing"},
        {&boxes.Text6, "Transmitter Name Missing"},
        {&boxes.Text7, "Transmitter Address Missing"},
        {&boxes.Text8, "Transmitter City Missing"},
        {&boxes.Text11, "Transmitter State Missing"},
        {&boxes.Text12, "Transmitter Zip Code Missing"},
        {&boxes.Text13, "Transmitter Federal EIN Missing"},
        {&boxes.Text9, "Transmitter Contact Name Missing"},
        {&boxes.Text14, "Transmitter Contact Phone Missing"},
    };
    for (const auto& [text, message] : required) {
        if (text->trimmed().isEmpty()) {
            return QLatin1String(message);
        }
        // The employer state follows its emptiness check.
        if (text == &boxes.Text4 && boxes.Text4.trimmed().size() != 2) {
            return QStringLiteral("State must be 2 characters");
        }
    }
    return std::nullopt;
}

bool CreateTransmitterFile(Session& session, Dialogs& dialogs, const std::function<void()>& showTexasInstructions)
{
    if (const auto problem = transmitterFieldProblem(session.frmTXMag)) {
        tell(dialogs, *problem);
        return false;
    }
    const auto target = icesaTargetFor(session);
    std::optional<QString> path;
    if (target) {
        path = dialogs.saveFile({target->dialogTitle, target->proposedName, QString(), true, stateFileFolder(session)});
    }
    if (!path) {
        tell(dialogs, QStringLiteral("File creation cancelled"));
        return false;
    }
    // A writer that fails has told the user why; the window stays open for another try.
    if (!target->writer(session, dialogs, *path)) {
        return false;
    }
    rememberStateFile(session, *path);
    if (stateAt(session.StatePosition).item() == StateItem::Texas && session.TWCMessage) {
        showTexasInstructions();
    } else {
        tell(dialogs, target->successMessage);
    }
    return true;
}

void closeTexasInstructions(Session& session, Dialogs& dialogs, bool dontShowAgain)
{
    if (!dontShowAgain) {
        return;
    }
    session.TWCMessage = false;
    if (!WriteSetting(session, settingkeys::kTWCMessage, flagText(false))) {
        dialogs.message(QStringLiteral("The settings file %1 could not be written.").arg(session.SettingsFile),
                        kApplicationTitle, MessageIcon::Exclamation);
    }
}

} // namespace wagetrove
