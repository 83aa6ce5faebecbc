#include "store/gridtables.h"

#include "app/statecatalogue.h"
#include "common/currency.h"
#include "store/schema.h"
#include "totals/prefilingvalidation.h"

namespace wagetrove {
namespace {

std::optional<QString> wageDetailsRefusal(int column, const QString& text)
{
    switch (column) {
    case SsColumn:
        if (!isDigits(text, 9)) {
            return kInvalidSsMessage;
        }
        break;
    case LastNameColumn:
    case FirstNameColumn:
        if (text.trimmed().isEmpty()) {
            return kBlankNameMessage;
        }
        break;
    case GrossWagesColumn:
    case TaxableWagesColumn:
        if (!Currency::fromAnyText(text)) {
            return QString();
        }
        break;
    default:
        break;
    }
    return std::nullopt;
}

void completeWageDetailsRow(QVariantList& values)
{
    if (values[NameColumn].toString().isEmpty()) {
        values[NameColumn] = values[FirstNameColumn].toString() + QLatin1Char(' ') +
                             values[MiddleNameColumn].toString() + QLatin1Char(' ') + values[LastNameColumn].toString();
    }
}

} // namespace

GridDefinition wageDetailsGrid()
{
    const auto text = GridValueKind::Text;
    const auto money = GridValueKind::Money;
    GridDefinition grid;
    grid.table = schema::kEmployee;
    grid.columns = {
        {QStringLiteral("Name"), QString(), text},
        {QStringLiteral("SS"), QStringLiteral("Social Security #"), text},
        {QStringLiteral("LastName"), QStringLiteral("Last Name"), text},
        {QStringLiteral("MiddleName"), QStringLiteral("Middle"), text},
        {QStringLiteral("FirstName"), QStringLiteral("First Name"), text},
        {QStringLiteral("GrossWages"), QStringLiteral("Gross Wages"), money},
        {QStringLiteral("TaxableWages"), QStringLiteral("Taxable Wages"), money},
        {QStringLiteral("SWHWages"), QStringLiteral("Witholding Wages"), money},
        {QStringLiteral("SWHAmount"), QStringLiteral("Withholding Amount"), money},
        {QStringLiteral("TotalHours"), QStringLiteral("TotalHours"), GridValueKind::Hours},
        {QStringLiteral("Owner"), QStringLiteral("Owner"), text},
        {QStringLiteral("UnitCode"), QStringLiteral("SOC"), text},
    };
    grid.orderBy = QStringLiteral("LastName");
    grid.refusal = wageDetailsRefusal;
    grid.completeRow = completeWageDetailsRow;
    return grid;
}

QList<bool> wageDetailsColumnsShown(StateItem state)
{
    const bool washington = state == StateItem::Washington;
    const bool quest = state == StateItem::MassachusettsQuest;
    QList<bool> shown(WageDetailsColumnCount, false);
    shown[SsColumn] = shown[LastNameColumn] = shown[MiddleNameColumn] = shown[FirstNameColumn] = true;
    shown[GrossWagesColumn] = true;
    shown[TaxableWagesColumn] = !washington;
    shown[SwhWagesColumn] = shown[SwhAmountColumn] = quest;
    shown[TotalHoursColumn] = washington || quest;
    shown[OwnerColumn] = quest;
    shown[UnitCodeColumn] = washington;
    return shown;
}

GridDefinition stateIdTableGrid()
{
    GridDefinition grid;
    grid.table = schema::kStateIDTable;
    for (const char* field : {"EIN", "StateID", "PayrollItem", "County Code", "SWHPayrollItem", "State"}) {
        grid.columns << GridColumn{QLatin1String(field), QLatin1String(field), GridValueKind::Text};
    }
    return grid;
}

} // namespace wagetrove
