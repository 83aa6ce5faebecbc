#pragma once

namespace wagetrove {

class Dialogs;
struct MainWindowState;
struct Session;

/// Get Payroll Data (Load Wages in the standalone modes): takes the period from the main window's date boxes,
/// fills the wage store for the chosen state and period, computes the totals and enables the result buttons.
/// Every stop tells the user why and leaves the store closed.
void GetPayrollData(Session& session, MainWindowState& window, Dialogs& dialogs);

} // namespace wagetrove
