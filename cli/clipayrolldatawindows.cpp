#include "cli/clipayrolldatawindows.h"

#include "acquire/payrollitems.h"
#include "common/dialogs.h"

#include <QTextStream>

namespace wagetrove {

CliPayrollDataWindows::CliPayrollDataWindows(const Session& session, Dialogs& dialogs, QTextStream& errors,
                                             std::optional<QString> suiItem, std::optional<QString> stateAccountId,
                                             std::optional<QString> swhItem)
    : m_session(session), m_dialogs(dialogs), m_errors(errors), m_suiItem(std::move(suiItem)),
      m_stateAccountId(std::move(stateAccountId)), m_swhItem(std::move(swhItem))
{}

void CliPayrollDataWindows::showWaiting(const QString& text)
{
    m_errors << text << Qt::endl;
}

AccessNoticeAnswer CliPayrollDataWindows::accessNotice()
{
    return {true, false};
}

std::optional<QString> CliPayrollDataWindows::offered(const QStringList& items, const std::optional<QString>& name,
                                                      const QString& option)
{
    if (!name) {
        return std::nullopt;
    }
    if (!items.contains(*name)) {
        m_usageProblem =
            QStringLiteral("--%1 \"%2\" is not one of the payroll items offered: %3.")
                .arg(option, *name, items.isEmpty() ? QStringLiteral("none") : items.join(QStringLiteral(", ")));
        return std::nullopt;
    }
    return name;
}

std::optional<SuiItemChoice> CliPayrollDataWindows::chooseSuiItem(const QStringList& items,
                                                                  const QString& stateAccountId)
{
    const std::optional<QString> item = offered(items, m_suiItem, QStringLiteral("sui-item"));
    if (!item) {
        return std::nullopt;
    }
    const QString account = m_stateAccountId.value_or(stateAccountId).trimmed();
    if (const auto problem = suiItemChoiceProblem(m_session, true, account)) {
        m_refused = true;
        m_dialogs.message(*problem, kApplicationTitle);
        return std::nullopt;
    }
    return SuiItemChoice{*item, account};
}

std::optional<QString> CliPayrollDataWindows::chooseSwhItem(const QStringList& items)
{
    return offered(items, m_swhItem, QStringLiteral("swh-item"));
}

} // namespace wagetrove
