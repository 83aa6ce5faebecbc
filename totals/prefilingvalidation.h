#pragma once

#include <QString>

namespace wagetrove {

struct Session;
class Dialogs;

/// Create File's check before any state file is written. Opens the session's store exclusively and leaves it open
/// for the caller, who closes it whatever happens. Checks the company EIN and the state account number of the
/// totals window, the first Submitter row, the rate and every Employee row, asks for the hours of salaried
/// employees where the state needs them, fills the transmitter window's boxes from the Submitter and Employer rows
/// (not for Massachusetts Quest) and shows every finding together in one message box.
/// Sets ChecksPassed and returns the text shown: the findings (the EIN finding or an empty first line, each later
/// finding after CR LF), the store's problem when it could not be opened, or nothing when every check passed.
QString PreFilingValidation(Session& session, Dialogs& dialogs);

/// Whether a text is exactly `length` ASCII digits: no sign, blank or decimal point.
bool isDigits(const QString& text, qsizetype length);

/// Whether a text is an EIN as the files carry it: two digits, a hyphen and seven digits ("12-3456789").
bool isDashedEin(const QString& text);

/// Kentucky's account number: 6 or 8 digits, optionally followed by one upper-case letter A to Z.
bool isKentuckyAccountNumber(const QString& text);

} // namespace wagetrove
