#include "totals/totalsfields.h"

#include "app/session.h"
#include "app/settings.h"
#include "app/statecatalogue.h"
#include "common/dialogs.h"
#include "common/formats.h"
#include "common/numerictext.h"
#include "totals/prefilingvalidation.h"
#include "totals/recalculatetotals.h"
#include "totals/stateidwriteback.h"

namespace wagetrove {
namespace {

void tell(Dialogs& dialogs, const QString& text)
{
    dialogs.message(text, kApplicationTitle);
}

StateItem stateOf(const Session& session)
{
    return stateAt(session.StatePosition).item();
}

bool isUpperCaseLetter(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
}

/// Stores a value in the company's StateIDTable row and tells the user when the store cannot take it.
void writeBack(Session& session, Dialogs& dialogs, StateIdField field, const QString& value, bool anyStateInStandAlone)
{
    if (const auto error = updateStateIdRow(session, field, value, anyStateInStandAlone)) {
        dialogs.message(*error, kApplicationTitle, MessageIcon::Exclamation);
    }
}

} // namespace

bool leaveMonthCount(const QString& text, Dialogs& dialogs)
{
    if (isNumeric(text)) {
        return false;
    }
    tell(dialogs, QStringLiteral("Invalid Employee Count"));
    return true;
}

bool leaveRate(Session& session, Dialogs& dialogs)
{
    if (stateOf(session) == StateItem::MassachusettsPFML) {
        return false;
    }
    TotalsWindowBoxes& boxes = session.Form3;
    const auto rate = isNumeric(boxes.Text6) ? Currency::fromNumericText(boxes.Text6) : std::nullopt;
    if (!rate) {
        tell(dialogs, QStringLiteral("Invalid Unemployment Rate."));
        return true;
    }
    session.Rate = *rate;
    boxes.Text7 = formatDollars(taxAtRate(session.TaxableTotal, session.Rate));
    if (stateOf(session) == StateItem::Kentucky) {
        session.ModifiedRate = modifiedRateOf(session.Rate);
        boxes.Text10 = formatPlainDecimal(session.ModifiedRate) + QLatin1Char('%');
    }
    if (session.StandAlone && !WriteSetting(session, settingkeys::kRate, boxes.Text6)) {
        dialogs.message(
            QStringLiteral("The rate could not be saved in the settings file %1.").arg(session.SettingsFile),
            kApplicationTitle, MessageIcon::Exclamation);
    }
    return false;
}

bool leaveEin(Session& session, Dialogs& dialogs)
{
    QString& ein = session.Form3.Text8;
    ein = ein.trimmed();
    if (!isDashedEin(ein)) {
        tell(dialogs, QStringLiteral("EIN must be in xx-xxxxxxx format."));
        return true;
    }
    if (session.StandAlone) {
        // The session mirrors the settings file, so the next wages import compares against the corrected EIN.
        session.FedID = ein;
        if (!WriteSetting(session, settingkeys::kFedID, ein)) {
            dialogs.message(
                QStringLiteral("The EIN could not be saved in the settings file %1.").arg(session.SettingsFile),
                kApplicationTitle, MessageIcon::Exclamation);
        }
    }
    return false;
}

std::optional<QString> stateIdProblem(const Session& session, const QString& stateId)
{
    const qsizetype length = stateId.size();
    switch (stateOf(session)) {
    case StateItem::Texas:
        if (length != 11) {
            return QStringLiteral("State ID must be in xx-xxxxxx-x format.");
        }
        break;
    case StateItem::Kentucky: {
        bool valid = false;
        if (length == 6 || length == 8) {
            valid = isNumeric(stateId);
        } else if (length == 7 || length == 9) {
            valid = isNumeric(stateId.left(length - 1)) && isUpperCaseLetter(stateId.back());
        }
        if (!valid) {
            return QStringLiteral(
                " State ID invalid. Must be 6 or 8 digits followed by optional 1 Alphabetic character suffix");
        }
        break;
    }
    case StateItem::SouthCarolina:
        if (length != 6 || !isNumeric(stateId)) {
            return QStringLiteral(" State ID invalid. Must be 6 digits.");
        }
        break;
    default:
        break;
    }
    return std::nullopt;
}

bool leaveStateId(Session& session, Dialogs& dialogs)
{
    QString& stateId = session.Form3.Text9;
    stateId = stateId.trimmed();
    if (const auto problem = stateIdProblem(session, stateId)) {
        tell(dialogs, *problem);
        return true;
    }
    writeBack(session, dialogs, StateIdField::StateID, stateId, true);
    return false;
}

bool leaveCountyCode(Session& session, Dialogs& dialogs)
{
    if (stateOf(session) == StateItem::Kentucky) {
        return false;
    }
    if (!isNumeric(session.Form3.Text10)) {
        tell(dialogs, QStringLiteral("County must be numeric"));
        return true;
    }
    writeBack(session, dialogs, StateIdField::CountyCode, session.Form3.Text10, false);
    return false;
}

bool leaveTotalsBox(Session& session, Dialogs& dialogs, int number, TotalsWindowBoxes& inForce)
{
    bool refused = false;
    bool focusBack = false;
    switch (number) {
    case 1:
    case 3:
    case 4:
        refused = focusBack = leaveMonthCount(session.Form3.box(number), dialogs);
        break;
    case 6:
        refused = focusBack = leaveRate(session, dialogs);
        break;
    case 8:
        refused = leaveEin(session, dialogs);
        break;
    case 9:
        refused = leaveStateId(session, dialogs);
        break;
    case 10:
        refused = leaveCountyCode(session, dialogs);
        break;
    default:
        return false;
    }
    if (refused) {
        session.Form3.box(number) = inForce.box(number);
    } else {
        inForce = session.Form3;
    }
    return focusBack;
}

bool isComputedBox(const Session& session, int number)
{
    switch (number) {
    case 2:
    case 5:
    case 12:
    case 13:
        return true;
    case 7: {
        const StateItem state = stateOf(session);
        return state != StateItem::Florida && state != StateItem::MassachusettsPFML;
    }
    default:
        return false;
    }
}

} // namespace wagetrove
