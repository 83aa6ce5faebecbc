#include "acquire/payrollitems.h"

#include "acquire/payrolldatawindows.h"
#include "acquire/qb/qbxmlresponses.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "common/dialogs.h"
#include "common/numerictext.h"
#include "store/sqlutil.h"
#include "store/storeerror.h"
#include "totals/prefilingvalidation.h"
#include "totals/totalsfields.h"

namespace wagetrove {
namespace {

// Items QuickBooks sets up for every company that never track a state's tax.
const char* const kFederalItems[] = {
    "Workers Compensation",    "Advance Earned Income Credit",
    "Federal Unemployment",    "Federal Withholding",
    "Medicare Company",        "Medicare Employee",
    "Social Security Company", "Social Security Employee",
};

bool isFederalItem(const QString& name)
{
    for (const char* federal : kFederalItems) {
        if (name == QLatin1String(federal)) {
            return true;
        }
    }
    return false;
}

bool isTaxItem(const QbPayrollItem& item)
{
    return item.nonWageType == QLatin1String("Tax") && !isFederalItem(item.name);
}

bool offeredAsSui(const QbPayrollItem& item)
{
    return isTaxItem(item) && !item.name.endsWith(QLatin1String("Employee")) &&
           !item.name.endsWith(QLatin1String("Withholding"));
}

bool offeredAsSwh(const QbPayrollItem& item)
{
    return isTaxItem(item) && !item.name.endsWith(QLatin1String("Employee")) &&
           !item.name.endsWith(QLatin1String("Company"));
}

/// Writes one field of the company's StateIDTable row for the state; a failure is skipped.
void updateStateIdRow(Session& session, const QString& assignments, QVariantList values)
{
    values << session.FedID << session.StateAbbrev;
    try {
        exec(session.Store.database(),
             QStringLiteral("UPDATE [StateIDTable] SET %1 WHERE rowid = (SELECT rowid FROM [StateIDTable] WHERE "
                            "[EIN] = ? AND [State] = ? ORDER BY rowid LIMIT 1)")
                 .arg(assignments),
             values);
    } catch (const StoreError&) {
    }
}

/// One pass over the items: those offered in the window's list, and whether `wanted` is among all of them.
QStringList passOver(const QList<QbPayrollItem>& items, bool (*offered)(const QbPayrollItem&), const QString& wanted,
                     bool& found)
{
    QStringList list;
    found = false;
    for (const QbPayrollItem& item : items) {
        if (offered(item)) {
            list << item.name;
        }
        if (item.name.toUpper() == wanted.toUpper()) {
            found = true;
        }
    }
    return list;
}

} // namespace

std::optional<QString> suiItemChoiceProblem(const Session& session, bool itemSelected, const QString& stateAccountId)
{
    if (!itemSelected) {
        return QStringLiteral("Please Select the QuickBooks Payroll Item that is used to track State Unemployment");
    }
    const QString id = stateAccountId.trimmed();
    if (id.isEmpty()) {
        return std::nullopt;
    }
    switch (stateAt(session.StatePosition).item()) {
    case StateItem::Texas:
        if (id.size() != 11 || !isDigits(id.left(2), 2) || id[2] != QLatin1Char('-') || !isDigits(id.mid(3, 6), 6) ||
            id[9] != QLatin1Char('-') || !isDigits(id.right(1), 1)) {
            return QStringLiteral("State Account ID invalid. Enter in xx-xxxxxx-x format");
        }
        return std::nullopt;
    case StateItem::Florida:
        if (id.size() != 7 || !isNumeric(id)) {
            return QStringLiteral(" State ID invalid. Must be 7 digits.");
        }
        return std::nullopt;
    case StateItem::Kentucky:
    case StateItem::SouthCarolina:
        return stateIdProblem(session, id);
    default:
        return std::nullopt;
    }
}

std::optional<QString> swhItemChoiceProblem(bool itemSelected)
{
    if (!itemSelected) {
        return QStringLiteral("Please Select the QuickBooks Payroll Item that is used to track State Withholding");
    }
    return std::nullopt;
}

void ReadSuiPayrollItems(Session& session, Dialogs& dialogs, PayrollDataWindows& windows, const QbResponse* items)
{
    session.ItemFound = false;
    if (items == nullptr) {
        dialogs.message(QStringLiteral("Error in Getting payroll items"), kApplicationTitle);
        return;
    }
    if (items->status.code != 0) {
        dialogs.message(kNoPayrollSubscriptionMessage, kApplicationTitle);
        return;
    }
    if (items->payrollItems.isEmpty()) {
        return;
    }
    for (;;) {
        bool found = false;
        const QStringList offered = passOver(items->payrollItems, offeredAsSui, session.SUIItemName, found);
        if (found) {
            session.ItemFound = true;
            updateStateIdRow(session, QStringLiteral("[PayrollItem] = ?, [StateID] = ?"),
                             {session.SUIItemName, session.StateAccountID});
            return;
        }
        const std::optional<SuiItemChoice> choice = windows.chooseSuiItem(offered, session.StateAccountID);
        if (!choice) {
            session.SUIItemName.clear();
            return;
        }
        session.SUIItemName = choice->itemName;
        session.StateAccountID = choice->stateAccountId.trimmed();
        session.Form3.Text9 = session.StateAccountID;
    }
}

void ReadSwhPayrollItems(Session& session, Dialogs& dialogs, PayrollDataWindows& windows, const QbResponse* items)
{
    session.ItemFound = false;
    if (items == nullptr) {
        dialogs.message(QStringLiteral("Error in Getting swh payroll items"), kApplicationTitle);
        return;
    }
    if (items->payrollItems.isEmpty()) {
        return;
    }
    while (!session.SWHItemName.isEmpty()) {
        bool found = false;
        const QStringList offered = passOver(items->payrollItems, offeredAsSwh, session.SWHItemName, found);
        if (found) {
            session.ItemFound = true;
            updateStateIdRow(session, QStringLiteral("[SWHPayrollItem] = ?"), {session.SWHItemName});
            return;
        }
        session.SWHItemName = windows.chooseSwhItem(offered).value_or(QString());
    }
}

} // namespace wagetrove
