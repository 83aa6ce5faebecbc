#pragma once

#include <QString>

namespace wagetrove {

/// The main window's commands, by the number of their button.
enum class MainCommand
{
    GetPayrollData = 1,
    Exit = 2,
    ViewTotals = 3,
    EditChange = 4,
    CreateFile = 5,
    SubmitterOptions = 6,
    WebSite = 7,
    EditCompanyInfo = 8,
    WageListing = 9,
};

/// What the main window shows, held apart from its widgets so that every rule about it is tested headless.
struct MainWindowState
{
    QString caption;
    QString command1Caption = QStringLiteral("Get Payroll Data");
    QString fromText;       ///< the From box as displayed
    QString toText;         ///< the To box as displayed
    int checkedQuarter = 0; ///< 1 to 4, or 0 when no quarter button is set
    bool getPayrollDataEnabled = false;
    bool resultsEnabled = false; ///< View Totals, Edit/Change and Create File
    bool wageListingEnabled = false;

    /// The button's enabled state as the window shows it.
    bool isEnabled(MainCommand command) const;
    /// What the user is to do before a disabled command can be used, for its tooltip; empty while it is enabled.
    QString whyDisabled(MainCommand command) const;
};

/// The text of an empty date box: its input pattern.
inline const QString kEmptyDatePattern = QStringLiteral("__/__/____");

} // namespace wagetrove
