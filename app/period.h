#pragma once

#include <QDate>

namespace wagetrove {

class Dialogs;
struct MainWindowState;
struct Session;

/// Where the focus goes after a date box was left.
enum class FocusTarget
{
    Unchanged,
    FromBox,
    ToBox,
    GetPayrollData,
};

/// A state was chosen in the list: the session's state fields follow it. Nothing else changes.
void selectState(Session& session, int position);

/// A quarter button (1 to 4) was clicked: both date boxes get the quarter of `today`'s year (for the fourth
/// quarter while starting up, the previous year), Quarter follows, Get Payroll Data is enabled and the result
/// buttons are disabled.
void clickQuarter(Session& session, MainWindowState& window, int quarter, const QDate& today);

/// The text of a date box changed: the result buttons wait for the next run.
void dateTextChanged(MainWindowState& window);

/// The From box was left: checks the date and sets Get Payroll Data.
FocusTarget leaveFromBox(MainWindowState& window, Dialogs& dialogs);

/// The To box was left: checks the date and its order after the From date, and takes Quarter from it.
FocusTarget leaveToBox(Session& session, MainWindowState& window, Dialogs& dialogs);

/// The quarter (1 to 4) a date falls in.
int quarterOf(const QDate& date);

/// The quarter button set at start-up: the last completed quarter before `today`.
int defaultQuarterButton(const QDate& today);

} // namespace wagetrove
