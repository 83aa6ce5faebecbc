#pragma once

#include "store/storegridmodel.h"

namespace wagetrove {

enum class StateItem;

/// The Wage Details grid's columns, in order.
enum WageDetailsColumn
{
    NameColumn,
    SsColumn,
    LastNameColumn,
    MiddleNameColumn,
    FirstNameColumn,
    GrossWagesColumn,
    TaxableWagesColumn,
    SwhWagesColumn,
    SwhAmountColumn,
    TotalHoursColumn,
    OwnerColumn,
    UnitCodeColumn,
    WageDetailsColumnCount,
};

inline const QString kInvalidSsMessage =
    QStringLiteral("Invalid Social Security Number. SS # must be 9 digits. If unknown, use all zeros.");
inline const QString kBlankNameMessage = QStringLiteral("Name can't be blank");

/// The quarter's employees in last-name order: their identity, wages, withholding, hours, owner flag and SOC code.
/// An SS must be nine digits, a first and last name not blank, the wages an amount; a row without a full name
/// gets first, middle and last name joined by blanks.
GridDefinition wageDetailsGrid();

/// Which columns the state's report uses: the full name never shows, taxable wages for all but Washington,
/// withholding and the owner flag for the Massachusetts Quest file, hours for that file and Washington, the SOC
/// code for Washington.
QList<bool> wageDetailsColumnsShown(StateItem state);

/// The company's account numbers and payroll items per state, every field shown and none checked.
GridDefinition stateIdTableGrid();

} // namespace wagetrove
