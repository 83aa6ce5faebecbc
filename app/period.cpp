#include "app/period.h"

#include "app/mainwindowstate.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "common/datetext.h"
#include "common/dialogs.h"

namespace wagetrove {
namespace {

const QString kInvalidDateTitle = QStringLiteral("Invalid Date");

} // namespace

void selectState(Session& session, int position)
{
    session.StatePosition = isStatePosition(position) ? position : 0;
    const StateEntry& entry = stateAt(session.StatePosition);
    session.StateAbbrev = entry.abbreviation();
    session.StateFips = entry.fips();
}

void clickQuarter(Session& session, MainWindowState& window, int quarter, const QDate& today)
{
    static const char* const kFrom[] = {"01/01/", "04/01/", "07/01/", "10/01/"};
    static const char* const kTo[] = {"03/31/", "06/30/", "09/30/", "12/31/"};
    if (quarter < 1 || quarter > 4) {
        return;
    }
    int year = today.year();
    if (quarter == 4 && session.StartingUp) {
        year -= 1;
    }
    const QString yyyy = QString::number(year);
    window.fromText = QLatin1String(kFrom[quarter - 1]) + yyyy;
    window.toText = QLatin1String(kTo[quarter - 1]) + yyyy;
    window.checkedQuarter = quarter;
    session.Quarter = QString::number(quarter);
    window.getPayrollDataEnabled = true;
    window.resultsEnabled = false;
}

void dateTextChanged(MainWindowState& window)
{
    window.resultsEnabled = false;
}

FocusTarget leaveFromBox(MainWindowState& window, Dialogs& dialogs)
{
    if (window.fromText.trimmed() == kEmptyDatePattern) {
        return FocusTarget::Unchanged;
    }
    if (!parseDateText(window.fromText)) {
        dialogs.message(QStringLiteral("Invalid From Date. Format is MM/DD/YYYY"), kInvalidDateTitle);
        window.getPayrollDataEnabled = false;
        return FocusTarget::FromBox;
    }
    window.getPayrollDataEnabled = parseDateText(window.toText).has_value();
    return FocusTarget::Unchanged;
}

FocusTarget leaveToBox(Session& session, MainWindowState& window, Dialogs& dialogs)
{
    if (window.toText == kEmptyDatePattern) {
        return FocusTarget::Unchanged;
    }
    const auto to = parseDateText(window.toText);
    if (!to) {
        dialogs.message(QStringLiteral("Invalid To Date. Format is MM/DD/YYYY"), kInvalidDateTitle);
        window.getPayrollDataEnabled = false;
        return FocusTarget::ToBox;
    }
    const auto from = parseDateText(window.fromText);
    if (!from) {
        window.getPayrollDataEnabled = false;
        return FocusTarget::Unchanged;
    }
    window.getPayrollDataEnabled = true;
    if (*to >= *from) {
        session.Quarter = QString::number(quarterOf(*to));
        return FocusTarget::GetPayrollData;
    }
    dialogs.message(QStringLiteral("To Date Can Not Be Earlier Than The From Date"), kInvalidDateTitle);
    window.getPayrollDataEnabled = false;
    return FocusTarget::FromBox;
}

int quarterOf(const QDate& date)
{
    return (date.month() - 1) / 3 + 1;
}

int defaultQuarterButton(const QDate& today)
{
    const int current = quarterOf(today);
    return current == 1 ? 4 : current - 1;
}

} // namespace wagetrove
