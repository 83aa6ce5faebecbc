// Fills the wage listing of a 1,000-employee quarter (59 pages) from a filled wage store, reporting the time
// taken and the process's peak memory. Run: ./build.sh bench
#include "app/session.h"
#include "bench/benchstore.h"
#include "bench/quietdialogs.h"
#include "forms/fillwagelisting.h"
#include "tests/support/testenvironment.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

using namespace wagetrove;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int kEmployees = argc == 2 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000;

    QTemporaryDir folder;
    Session session;
    session.AppFolder = test::programFolder() + QLatin1Char('/');
    session.DataFolder = folder.path() + QLatin1Char('/');
    session.EmployerAddress = QStringLiteral("SAMPLE COMPANY INC\r\n100 MAIN STREET\r\nSPRINGFIELD IL  62701");
    session.Form3.Text9 = QStringLiteral("1234567");
    session.Quarter = QStringLiteral("1");
    session.TaxYear = 2025;
    if (!bench::prepareStore(session, kEmployees, out)) {
        return 1;
    }

    bench::QuietDialogs dialogs;
    const QString target = session.DataFolder + kFilledWageListingName;
    QElapsedTimer timer;
    timer.start();
    const bool written = FillWageListing(session, dialogs, target);
    const qint64 ms = timer.elapsed();
    if (!written) {
        out << "wage listing failed: " << dialogs.lastMessage << '\n';
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    out << "Wage listing of " << kEmployees << " employees: " << ms << " ms (target 2000 ms), "
        << QFileInfo(target).size() << " bytes, peak memory " << usage.ru_maxrss / 1024 << " MiB\n";
    return ms < 2000 ? 0 : 3;
}
