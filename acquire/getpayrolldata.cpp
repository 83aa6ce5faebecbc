#include "acquire/getpayrolldata.h"

#include "acquire/employeewages.h"
#include "acquire/employerreader.h"
#include "acquire/payrolldatawindows.h"
#include "acquire/payrollitems.h"
#include "acquire/qb/qbconversation.h"
#include "acquire/qb/qbxmlrequests.h"
#include "acquire/qb/qbxmlresponses.h"
#include "acquire/reportloaders.h"
#include "acquire/wagespreadsheet.h"
#include "app/mainwindowstate.h"
#include "app/period.h"
#include "app/session.h"
#include "app/settings.h"
#include "app/statecatalogue.h"
#include "common/dialogs.h"
#include "common/numerictext.h"
#include "store/storeerror.h"
#include "store/wagestore.h"
#include "totals/recalculatetotals.h"

#include <QBuffer>
#include <QDir>
#include <QSaveFile>

namespace wagetrove {
namespace {

const QString kSupportFileName = QStringLiteral("QBData.xml");

/// The period of the run, from the date boxes as they stand.
void takePeriod(Session& session, const MainWindowState& window)
{
    session.FromDate = window.fromText.left(10);
    session.ToDate = window.toText.left(10);
    // MM/DD/YYYY gives MMYYYY.
    session.ToMonthYear = session.ToDate.left(2) + session.ToDate.mid(6, 4);
    session.TaxYear = static_cast<qint16>(numericValueOf(session.FromDate.right(4)));
}

bool openStore(Session& session, Dialogs& dialogs)
{
    try {
        const BusyScope busy(dialogs);
        OpenWageStoreForRun(session);
        return true;
    } catch (const StoreError& error) {
        session.DataError = true;
        dialogs.message(error.message(), kApplicationTitle, MessageIcon::Critical);
        return false;
    }
}

/// A run the store stopped: the store closed, its failure shown.
void stopOnStoreError(Session& session, Dialogs& dialogs, const StoreError& error)
{
    session.DataError = true;
    CloseWageStore(session);
    dialogs.message(error.message(), kApplicationTitle, MessageIcon::Critical);
}

/// The totals, the store closed and the result buttons enabled: the end of every run that gathered its data.
void finishRun(Session& session, MainWindowState& window, Dialogs& dialogs)
{
    {
        const BusyScope busy(dialogs);
        RecalculateTotals(session);
        try {
            session.Store.commitRunChange();
        } catch (const StoreError& error) {
            stopOnStoreError(session, dialogs, error);
            return;
        }
        CloseWageStore(session);
    }
    dialogs.message(
        QStringLiteral("Program has gathered all the data. Click the View Totals button and check the amounts"),
        kApplicationTitle);
    session.LoadedStatePosition = session.StatePosition;
    window.resultsEnabled = true;
    window.wageListingEnabled = true;
}

/// Begins the change that holds the run's rows and totals, committed when the run finishes; false (the store
/// closed, the failure shown) when it cannot begin.
bool beginRunChange(Session& session, Dialogs& dialogs)
{
    try {
        session.Store.beginRunChange();
        return true;
    } catch (const StoreError& error) {
        stopOnStoreError(session, dialogs, error);
        return false;
    }
}

/// The wages workbook's import into the open store; false when it stopped (the store is closed then).
bool importSpreadsheet(Session& session, Dialogs& dialogs)
{
    session.DataError = false;
    if (!beginRunChange(session, dialogs)) {
        return false;
    }
    ImportWageSpreadsheet(session, dialogs);
    if (session.DataError) {
        CloseWageStore(session);
        return false;
    }
    return true;
}

void writeSupportFile(const Session& session, Dialogs& dialogs, const QByteArray& answer)
{
    const QString path = session.DataFolder + kSupportFileName;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(answer + "\r\n") < 0 || !file.commit()) {
        dialogs.message(QStringLiteral("The support file %1 could not be written: %2")
                            .arg(QDir::toNativeSeparators(path), file.errorString()),
                        kApplicationTitle, MessageIcon::Exclamation);
    }
}

/// The run's stop: the message with the normal pointer, QuickBooks and the store closed.
void stop(Session& session, Dialogs& dialogs, QbConversation& quickBooks, const QString& message,
          MessageIcon icon = MessageIcon::None)
{
    session.DataError = true;
    quickBooks.close();
    CloseWageStore(session);
    dialogs.message(message, kApplicationTitle, icon);
}

/// Steps from the access notice to the loaders, with QuickBooks as the session's connection names it.
void readFromQuickBooks(Session& session, MainWindowState& window, Dialogs& dialogs, PayrollDataWindows& windows)
{
    session.DataError = false;
    session.ProceedFlag = true;
    if (session.Message) {
        const AccessNoticeAnswer answer = windows.accessNotice();
        if (answer.proceed && answer.dontShowAgain) {
            session.Message = false;
            WriteSetting(session, settingkeys::kMessage, flagText(false));
        }
        if (!answer.proceed) {
            session.ProceedFlag = false;
            CloseWageStore(session);
            return;
        }
    }

    std::unique_ptr<QbTransport> transport;
    try {
        WebConnectorAccess access;
        access.userName = session.QBWCUserName;
        access.passwordRecord = session.QBWCPassword;
        access.waitSeconds = session.QBWCWaitSeconds;
        access.certificateFile = session.QBWCCertificate;
        access.keyFile = session.QBWCKey;
        access.showWaiting = [&windows](const QString& text) { windows.showWaiting(text); };
        access.waitCancelled = [&windows] { return windows.waitCancelled(); };
        access.hideWaiting = [&windows] { windows.hideWaiting(); };
        transport = openQuickBooksTransport(session.QuickBooksConnection, access);
    } catch (const QbError& error) {
        session.DataError = true;
        CloseWageStore(session);
        dialogs.message(error.message(), kApplicationTitle, MessageIcon::Critical);
        return;
    }
    QbConversation quickBooks(std::move(transport));
    QList<QbResponse> responses;
    try {
        std::optional<BusyScope> busy(std::in_place, dialogs);
        quickBooks.open();
        windows.bringMainWindowToFront();
        const QString major = quickBooks.hostMajorVersion();
        // The version is compared as text, as QuickBooks gives it.
        if (major > session.QBMaxVersion) {
            busy.reset();
            session.ProceedFlag = false;
            stop(session, dialogs, quickBooks,
                 QStringLiteral("The version of QuickBooks that you are running is not supported by the version of "
                                "Wagetrove. Check ") +
                     webSiteAddress(session));
            return;
        }
        windows.bringMainWindowToFront();
        const QList<QbRequest> requests = dataRequests(session);
        const QByteArray request = requestDocument(requests);
        // The answer is read as it is parsed, unless the support file needs it whole first.
        QByteArray saved;
        std::unique_ptr<QIODevice> answer;
        if (session.SupportFile) {
            saved = quickBooks.send(request);
            writeSupportFile(session, dialogs, saved);
            answer = std::make_unique<QBuffer>(&saved);
            answer->open(QIODevice::ReadOnly);
        } else {
            answer = quickBooks.sendForReading(request);
        }
        {
            ProgressScope progress(dialogs, QStringLiteral("Reading the QuickBooks answer..."), answer->size());
            responses = parseResponseDevice(
                *answer, {}, [&progress](qint64 done, qint64 total) { return progress.report(done, total); });
        }
        if (const auto mismatch = responseMismatch(requests, responses)) {
            throw QbError(*mismatch);
        }
    } catch (const QbError& error) {
        stop(session, dialogs, quickBooks,
             QStringLiteral("Wagetrove could not get the payroll data from QuickBooks. %1").arg(error.message()),
             MessageIcon::Critical);
        return;
    } catch (const QbCancelled&) {
        stop(session, dialogs, quickBooks, kLoadCancelled);
        return;
    }

    if (!beginRunChange(session, dialogs)) {
        quickBooks.close();
        return;
    }
    ReadEmployerInfo(session, responses.at(qbindex::kCompany));
    if (session.StandAlone) {
        quickBooks.close();
        if (importSpreadsheet(session, dialogs)) {
            finishRun(session, window, dialogs);
        }
        return;
    }

    const QbResponse* items = responses.size() > qbindex::kPayrollItems ? &responses[qbindex::kPayrollItems] : nullptr;
    ReadSuiPayrollItems(session, dialogs, windows, items);
    if (session.ItemFound && stateAt(session.StatePosition).item() == StateItem::MassachusettsQuest) {
        ReadSwhPayrollItems(session, dialogs, windows, items);
    }
    if (!session.ItemFound) {
        stop(session, dialogs, quickBooks, QStringLiteral("Can't find payroll item."));
        return;
    }

    {
        const BusyScope busy(dialogs);
        LoadEmployeeWages(session, dialogs, std::move(responses));
    }
    quickBooks.close();
    if (session.DataError) {
        CloseWageStore(session);
        return;
    }
    finishRun(session, window, dialogs);
}

} // namespace

void GetPayrollData(Session& session, MainWindowState& window, Dialogs& dialogs, PayrollDataWindows& windows)
{
    session.TaxYear = static_cast<qint16>(numericValueOf(window.fromText.right(4)));
    selectState(session, session.StatePosition);
    session.DataError = false;

    if (session.MergeFiles &&
        dialogs.message(QStringLiteral("The Merge option is set to Yes. Click OK to continue"), kApplicationTitle,
                        MessageIcon::Information, MessageButtons::OkCancel) != Answer::Ok) {
        return;
    }
    if (!session.StandAlonenoqb && session.QuickBooksConnection.isEmpty()) {
        // Nothing is touched before saying how to reach QuickBooks.
        session.DataError = true;
        dialogs.message(
            QStringLiteral("Wagetrove does not know how to reach QuickBooks yet. Open Submitter/Options and enter "
                           "the QuickBooks connection: replay:FILE for a saved QuickBooks answer (such as the "
                           "support file QBData.xml), or simulated:FILE for a company described in a JSON file. To "
                           "load the quarter from a wages workbook instead, tick \"Use as Standalone - Import "
                           "Wages and Employer Info from Spreadsheet\"."),
            kApplicationTitle, MessageIcon::Exclamation);
        return;
    }

    takePeriod(session, window);
    // Until this run finishes, nothing may be filed from the session: its values are this run's, half-gathered.
    window.resultsEnabled = false;
    window.wageListingEnabled = false;
    session.LoadedStatePosition = -1;
    if (!openStore(session, dialogs)) {
        return;
    }
    if (!session.StandAlonenoqb) {
        readFromQuickBooks(session, window, dialogs, windows);
        return;
    }
    if (importSpreadsheet(session, dialogs)) {
        finishRun(session, window, dialogs);
    }
}

} // namespace wagetrove
