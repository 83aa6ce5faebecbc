#pragma once

namespace wagetrove {

class Dialogs;
class PayrollDataWindows;
struct MainWindowState;
struct Session;

/// Get Payroll Data (Load Wages in the standalone modes): takes the period from the main window's date boxes,
/// fills the wage store for the chosen state and period from QuickBooks or the wages workbook, computes the totals
/// and enables the result buttons. Every stop tells the user why and leaves the store and QuickBooks closed.
void GetPayrollData(Session& session, MainWindowState& window, Dialogs& dialogs, PayrollDataWindows& windows);

} // namespace wagetrove
