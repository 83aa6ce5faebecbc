#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace wagetrove {

/// What the access notice was answered with.
struct AccessNoticeAnswer
{
    bool proceed = true;        ///< OK rather than Cancel
    bool dontShowAgain = false; ///< "Don't show this screen again." ticked
};

/// The unemployment item and account number chosen in the "Payroll Item List" window.
struct SuiItemChoice
{
    QString itemName;
    QString stateAccountId;
};

/// The windows Get Payroll Data shows while it talks to QuickBooks: the access notice and the two payroll item
/// lists. The GUI shows them, the command line answers from its arguments and tests from a script.
class PayrollDataWindows
{
public:
    virtual ~PayrollDataWindows() = default;

    /// The access notice "Accessing company file".
    virtual AccessNoticeAnswer accessNotice() = 0;
    /// Form2: the unemployment item among `items`, and the account number starting as `stateAccountId`. The
    /// window accepts only a choice suiItemChoiceProblem() finds nothing wrong with; nothing for Cancel.
    virtual std::optional<SuiItemChoice> chooseSuiItem(const QStringList& items, const QString& stateAccountId) = 0;
    /// Form7: the withholding item among `items`; nothing for Cancel.
    virtual std::optional<QString> chooseSwhItem(const QStringList& items) = 0;
    /// QuickBooks may have put its own window in front of the program's.
    virtual void bringMainWindowToFront() {}
    /// Shows that the run waits for the QuickBooks Web Connector, with `text`, until hideWaiting().
    virtual void showWaiting(const QString& text) { Q_UNUSED(text); }
    /// Whether the user has cancelled the wait.
    virtual bool waitCancelled() { return false; }
    virtual void hideWaiting() {}
};

} // namespace wagetrove
