#pragma once

#include "acquire/payrolldatawindows.h"

#include <QList>

#include <deque>

namespace wagetrove::test {

/// The windows of Get Payroll Data answered from a script; every window shown is recorded with what it offered.
/// A window shown without a scripted answer is cancelled.
class ScriptedPayrollDataWindows : public PayrollDataWindows
{
public:
    struct Shown
    {
        QString window; ///< "AccessNotice", "Form2" or "Form7"
        QStringList items;
        QString stateAccountId;
    };

    std::deque<AccessNoticeAnswer> notices;
    std::deque<std::optional<SuiItemChoice>> suiChoices;
    std::deque<std::optional<QString>> swhChoices;
    QList<Shown> shown;

    AccessNoticeAnswer accessNotice() override
    {
        shown.append({QStringLiteral("AccessNotice"), {}, {}});
        return take(notices, AccessNoticeAnswer{false, false});
    }
    std::optional<SuiItemChoice> chooseSuiItem(const QStringList& items, const QString& stateAccountId) override
    {
        shown.append({QStringLiteral("Form2"), items, stateAccountId});
        return take(suiChoices, std::optional<SuiItemChoice>());
    }
    std::optional<QString> chooseSwhItem(const QStringList& items) override
    {
        shown.append({QStringLiteral("Form7"), items, {}});
        return take(swhChoices, std::optional<QString>());
    }

private:
    template <typename T>
    static T take(std::deque<T>& answers, T cancelled)
    {
        if (answers.empty()) {
            return cancelled;
        }
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace wagetrove::test
