// Imports a generated 100,000-row wages workbook into a fresh wage store and computes the totals, reporting
// the time taken and the peak memory. Run: ./build.sh bench
#include "acquire/wagespreadsheet.h"
#include "app/session.h"
#include "bench/quietdialogs.h"
#include "store/wagestore.h"
#include "tests/support/generatedpayroll.h"
#include "totals/recalculatetotals.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

using namespace wagetrove;
using bench::QuietDialogs;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    // A smaller count may be given for profiling; the targets hold for the default.
    const int kRows = argc == 2 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;

    // The workbook is written by a second run of this program, so that its memory does not count here.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 4 && arguments[1] == QStringLiteral("--write-workbook")) {
        return test::writeGeneratedWorkbook(arguments[2], arguments[3].toInt()) ? 0 : 1;
    }
    QTemporaryDir folder;
    const QString workbook = folder.filePath(QStringLiteral("wages.xlsx"));
    if (QProcess::execute(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--write-workbook"), workbook, QString::number(kRows)}) != 0) {
        out << "could not write the benchmark workbook\n";
        return 1;
    }
    auto session = std::make_unique<Session>();
    session->DataFolder = folder.path() + QLatin1Char('/');
    session->StandAlonenoqb = false;
    session->TaxYear = 2025;
    session->Quarter = QStringLiteral("1");
    session->ToMonthYear = QStringLiteral("032025");
    try {
        WageStore::createEmpty(session->DataFolder + WageStore::kFileName);
        OpenWageStore(*session);
    } catch (const std::exception& error) {
        out << "could not prepare the wage store: " << error.what() << '\n';
        return 1;
    }

    QuietDialogs dialogs;
    QElapsedTimer timer;
    timer.start();
    ImportWageSpreadsheetFile(*session, dialogs, workbook);
    const qint64 importMs = timer.elapsed();
    RecalculateTotals(*session);
    const qint64 totalMs = timer.elapsed();
    CloseWageStore(*session);

    if (session->DataError) {
        out << "import failed: " << dialogs.lastMessage << '\n';
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    out << "imported " << kRows << " rows: read and insert " << importMs << " ms, with totals " << totalMs
        << " ms (target 1500 ms); employees counted in month 1: " << session->Month1Count << "; peak memory "
        << usage.ru_maxrss / 1024 << " MB (target 300 MB)\n";
    return totalMs < 1500 && usage.ru_maxrss / 1024 < 300 ? 0 : 3;
}
