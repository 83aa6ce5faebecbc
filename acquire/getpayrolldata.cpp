#include "acquire/getpayrolldata.h"

#include "acquire/wagespreadsheet.h"
#include "app/mainwindowstate.h"
#include "app/period.h"
#include "app/session.h"
#include "common/dialogs.h"
#include "common/numerictext.h"
#include "store/storeerror.h"
#include "store/wagestore.h"
#include "totals/recalculatetotals.h"

namespace wagetrove {
namespace {

/// The period of the run, from the date boxes as they stand.
void takePeriod(Session& session, const MainWindowState& window)
{
    session.FromDate = window.fromText.left(10);
    session.ToDate = window.toText.left(10);
    // MM/DD/YYYY gives MMYYYY.
    session.ToMonthYear = session.ToDate.left(2) + session.ToDate.mid(6, 4);
    session.TaxYear = static_cast<qint16>(numericValueOf(session.FromDate.right(4)));
}

} // namespace

void GetPayrollData(Session& session, MainWindowState& window, Dialogs& dialogs)
{
    session.TaxYear = static_cast<qint16>(numericValueOf(window.fromText.right(4)));
    selectState(session, session.StatePosition);
    session.DataError = false;

    if (session.MergeFiles &&
        dialogs.message(QStringLiteral("The Merge option is set to Yes. Click OK to continue"), kApplicationTitle,
                        MessageIcon::Information, MessageButtons::OkCancel) != Answer::Ok) {
        return;
    }
    if (!session.StandAlonenoqb) {
        // The QuickBooks conversation is not part of this release; nothing is touched before saying so.
        session.DataError = true;
        dialogs.message(
            QStringLiteral("This release of Wagetrove cannot read payroll data from QuickBooks yet. To load "
                           "the quarter from a wages workbook, open Submitter/Options and tick \"Use as "
                           "Standalone - Import Wages and Employer Info from Spreadsheet\"."),
            kApplicationTitle, MessageIcon::Exclamation);
        return;
    }

    takePeriod(session, window);
    try {
        const BusyScope busy(dialogs);
        OpenWageStore(session);
    } catch (const StoreError& error) {
        session.DataError = true;
        dialogs.message(error.message(), kApplicationTitle, MessageIcon::Critical);
        return;
    }

    session.DataError = false;
    ImportWageSpreadsheet(session, dialogs);
    if (session.DataError) {
        CloseWageStore(session);
        return;
    }

    {
        const BusyScope busy(dialogs);
        RecalculateTotals(session);
        CloseWageStore(session);
    }
    dialogs.message(
        QStringLiteral("Program has gathered all the data. Click the View Totals button and check the amounts"),
        kApplicationTitle);
    window.resultsEnabled = true;
    window.wageListingEnabled = true;
}

} // namespace wagetrove
