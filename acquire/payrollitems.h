#pragma once

#include <QString>

#include <optional>

namespace wagetrove {

class Dialogs;
class PayrollDataWindows;
struct QbResponse;
struct Session;

inline const QString kNoPayrollSubscriptionMessage = QStringLiteral(
    "This program only works with company files that are subscribed to Intuit's Payroll Service. If you already "
    "subscribe to the service, then you have to update your tax tables.");

/// What the "Payroll Item List" window's OK finds wrong with a choice, or nothing: no item selected, or an
/// account number (trimmed) that does not have the state's form. An empty account number is accepted.
std::optional<QString> suiItemChoiceProblem(const Session& session, bool itemSelected, const QString& stateAccountId);

/// What the withholding item list's OK finds wrong: no item selected.
std::optional<QString> swhItemChoiceProblem(bool itemSelected);

/// Finds the payroll item that tracks the state's unemployment tax in the item list QuickBooks returned (`items`
/// null when it returned none): the remembered SUIItemName matched without regard to case, else the one the user
/// picks from the state tax items offered in Form2, with the account number. The item and account number go to
/// the company's StateIDTable row. ItemFound tells whether it was found.
void ReadSuiPayrollItems(Session& session, Dialogs& dialogs, PayrollDataWindows& windows, const QbResponse* items);

/// The same for the state withholding item of the Massachusetts Quest file, from the same list through Form7;
/// it writes SWHPayrollItem. ItemFound then tells whether the withholding item was found.
void ReadSwhPayrollItems(Session& session, Dialogs& dialogs, PayrollDataWindows& windows, const QbResponse* items);

} // namespace wagetrove
