// Get Payroll Data for a company of 20,000 employees paid weekly (13 paychecks a quarter) from a replayed
// QuickBooks answer, from the request to the totals, reporting the time taken and the peak memory.
// Run: ./build.sh bench
#include "acquire/getpayrolldata.h"
#include "acquire/payrolldatawindows.h"
#include "acquire/qb/qbxmlrequests.h"
#include "acquire/qb/simulatedquickbooks.h"
#include "app/mainwindowstate.h"
#include "app/session.h"
#include "bench/quietdialogs.h"
#include "store/wagestore.h"
#include "tests/support/generatedpayroll.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

namespace {

using namespace wagetrove;

/// No window is ever needed: the company's unemployment item carries the default name.
class NoWindows : public PayrollDataWindows
{
public:
    AccessNoticeAnswer accessNotice() override { return {true, false}; }
    std::optional<SuiItemChoice> chooseSuiItem(const QStringList&, const QString&) override { return std::nullopt; }
    std::optional<QString> chooseSwhItem(const QStringList&) override { return std::nullopt; }
};

/// The run's session for Illinois, quarter 1 of 2025, over `folder`.
void prepare(Session& session, MainWindowState& window, const QString& folder)
{
    session.DataFolder = folder + QLatin1Char('/');
    session.SettingsFile = session.DataFolder + QStringLiteral("suta.ini");
    session.StatePosition = 2;
    session.Quarter = QStringLiteral("1");
    session.Message = false;
    session.StandAlonenoqb = false;
    window.fromText = QStringLiteral("01/01/2025");
    window.toText = QStringLiteral("03/31/2025");
}

/// Writes the answer a QuickBooks with `employees` employees gives the run's request set.
int writeAnswer(const QString& path, int employees)
{
    Session session;
    MainWindowState window;
    prepare(session, window, QStringLiteral("."));
    session.FromDate = window.fromText;
    session.ToDate = window.toText;
    auto quickBooks = SimulatedQuickBooks::fromJson(test::generatedCompany(employees));
    quickBooks->openConnection(QStringLiteral("bench"), QStringLiteral("bench"));
    quickBooks->beginSession();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(quickBooks->processRequest(requestDocument(dataRequests(session)))) < 0) {
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList arguments = QCoreApplication::arguments();
    // The answer is written by a second run of this program, so that its memory does not count here.
    if (arguments.size() == 4 && arguments[1] == QStringLiteral("--write-answer")) {
        try {
            return writeAnswer(arguments[2], arguments[3].toInt());
        } catch (const std::exception& error) {
            QTextStream(stderr) << error.what() << '\n';
            return 1;
        }
    }
    const int kEmployees = argc == 2 ? QString::fromLocal8Bit(argv[1]).toInt() : 20000;
    QTemporaryDir folder;
    const QString answer = folder.filePath(QStringLiteral("QBData.xml"));
    if (QProcess::execute(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--write-answer"), answer, QString::number(kEmployees)}) != 0) {
        out << "could not write the QuickBooks answer\n";
        return 1;
    }

    auto session = std::make_unique<Session>();
    MainWindowState window;
    prepare(*session, window, folder.path());
    session->QuickBooksConnection = QStringLiteral("replay:") + answer;
    try {
        WageStore::createEmpty(session->DataFolder + WageStore::kFileName);
    } catch (const std::exception& error) {
        out << "could not prepare the wage store: " << error.what() << '\n';
        return 1;
    }

    bench::QuietDialogs dialogs;
    NoWindows windows;
    QElapsedTimer timer;
    timer.start();
    GetPayrollData(*session, window, dialogs, windows);
    const qint64 elapsedMs = timer.elapsed();
    if (!window.resultsEnabled) {
        out << "Get Payroll Data failed: " << dialogs.lastMessage << '\n';
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    out << "Get Payroll Data from a replayed QuickBooks: " << kEmployees << " employees, 13 weekly paychecks each ("
        << QFile(answer).size() / (1024 * 1024) << " MB answer): " << elapsedMs
        << " ms from the request to the totals (target 2000 ms); total wages " << session->Form3.Text2
        << "; peak memory " << usage.ru_maxrss / 1024 << " MB\n";
    return elapsedMs < 2000 ? 0 : 3;
}
