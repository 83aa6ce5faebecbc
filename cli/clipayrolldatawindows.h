#pragma once

#include "acquire/payrolldatawindows.h"

class QTextStream;

namespace wagetrove {

class Dialogs;
struct Session;

/// The windows of Get Payroll Data answered from the command line: the access notice is not shown; Form2 takes
/// --sui-item and --state-account-id, Form7 --swh-item. A window without its answer counts as its Cancel.
class CliPayrollDataWindows : public PayrollDataWindows
{
public:
    CliPayrollDataWindows(const Session& session, Dialogs& dialogs, QTextStream& errors, std::optional<QString> suiItem,
                          std::optional<QString> stateAccountId, std::optional<QString> swhItem);

    AccessNoticeAnswer accessNotice() override;
    std::optional<SuiItemChoice> chooseSuiItem(const QStringList& items, const QString& stateAccountId) override;
    std::optional<QString> chooseSwhItem(const QStringList& items) override;
    /// Prints the wait once to standard error; the wait ends on its time-out, or with the process.
    void showWaiting(const QString& text) override;

    /// A name given that the window did not offer: a usage error, with the names it offered.
    const std::optional<QString>& usageProblem() const { return m_usageProblem; }
    /// Whether a window refused the answer given (its message was shown).
    bool refused() const { return m_refused; }

private:
    std::optional<QString> offered(const QStringList& items, const std::optional<QString>& name, const QString& option);

    const Session& m_session;
    Dialogs& m_dialogs;
    QTextStream& m_errors;
    std::optional<QString> m_suiItem;
    std::optional<QString> m_stateAccountId;
    std::optional<QString> m_swhItem;
    std::optional<QString> m_usageProblem;
    bool m_refused = false;
};

} // namespace wagetrove
