// The commands a user runs, run as processes over generated quarters: for each, the median wall time of several
// runs and the peak memory, beside the floors measured in the same run (unpacking the workbook's sheet with
// unzip, and writing as many bytes as the file with dd). Run: ./build.sh bench
//   commandbench [--runs N] [--employees N]   (5 runs, 100,000 employees by default)
// Last comes the desktop program's start to its main window, offscreen.
#include "tests/support/cliprocess.h"
#include "tests/support/generatedpayroll.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace wagetrove;

namespace {

struct Measured
{
    qint64 ms = 0;
    long peakMb = 0;
    int status = -1;
};

/// Runs `command` once with its output thrown away; the peak memory is the child's own.
Measured runOnce(const QStringList& command)
{
    std::vector<QByteArray> bytes;
    for (const QString& part : command) {
        bytes.push_back(QFile::encodeName(part));
    }
    std::vector<char*> argv;
    for (QByteArray& part : bytes) {
        argv.push_back(part.data());
    }
    argv.push_back(nullptr);

    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    Measured measured;
    int status = 0;
    rusage usage{};
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
        measured.ms = timer.elapsed();
        measured.peakMb = usage.ru_maxrss / 1024;
        measured.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return measured;
}

/// The median time and the highest peak of `runs` runs, each after an untimed run of `before` when given; the
/// status of the last.
Measured measure(const QStringList& command, int runs, const QStringList& before = {})
{
    std::vector<qint64> times;
    Measured result;
    for (int i = 0; i < runs; ++i) {
        if (!before.isEmpty() && runOnce(before).status != 0) {
            result.status = -1;
            return result;
        }
        const Measured once = runOnce(command);
        times.push_back(once.ms);
        result.peakMb = std::max(result.peakMb, once.peakMb);
        result.status = once.status;
    }
    std::sort(times.begin(), times.end());
    result.ms = times[times.size() / 2];
    return result;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList arguments = QCoreApplication::arguments();
    const auto option = [&arguments](const QString& name, int fallback) {
        const qsizetype at = arguments.indexOf(name);
        return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1].toInt() : fallback;
    };
    const int runs = std::max(1, option(QStringLiteral("--runs"), 5));
    const int employees = std::max(1000, option(QStringLiteral("--employees"), 100000));

    QTemporaryDir temporary;
    const QDir folder(arguments.size() > 2 && arguments[1] == QStringLiteral("--write-inputs") ? arguments[2]
                                                                                               : temporary.path());
    const auto path = [&folder](const QString& name) { return folder.filePath(name); };
    const QString cli = QStringLiteral(WAGETROVE_CLI);
    // The data folder the desktop program finds under its documents folder, so that it starts over the store the
    // command line left.
    const QString documents = path(QStringLiteral("documents"));
    const QString data = documents + QStringLiteral("/Tarrow Software/Wagetrove");
    const test::CliProcess program(cli, data, documents);
    const QString wages = path(QStringLiteral("wages.xlsx"));
    const QString listingWages = path(QStringLiteral("listing.xlsx"));
    const QString pfmlWages = path(QStringLiteral("pfml.xlsx"));
    const QString company = path(QStringLiteral("company.json"));
    // The inputs are written by a second run of this program: a child's peak memory counts what it was forked
    // from, so this one stays small.
    if (arguments.size() > 2 && arguments[1] == QStringLiteral("--write-inputs")) {
        QFile companyFile(company);
        return test::writeGeneratedWorkbook(wages, employees) && test::writeGeneratedWorkbook(listingWages, 1000) &&
                       test::writeGeneratedWorkbook(pfmlWages, 10000) && companyFile.open(QIODevice::WriteOnly) &&
                       companyFile.write(test::generatedCompany(employees, test::PayPeriod::Monthly)) > 0
                   ? 0
                   : 1;
    }
    if (runOnce({QCoreApplication::applicationFilePath(), QStringLiteral("--write-inputs"), folder.path(),
                 QStringLiteral("--employees"), QString::number(employees)})
            .status != 0) {
        out << "could not write the benchmark's inputs\n";
        return 1;
    }
    if (program.run(test::CliProcess::submitterArguments()).status != 0) {
        out << "could not fill the Submitter row\n";
        return 1;
    }

    const QStringList global = {cli, QStringLiteral("--data-folder"), data, QStringLiteral("--today"),
                                QStringLiteral("2025-04-15")};
    const auto file = [&](const QString& state, const QStringList& source, const QString& out) {
        return global + test::CliProcess::quarterFile(state, path(out)) +
               QStringList{QStringLiteral("--state-id"), QStringLiteral("1234567"), QStringLiteral("--hours-for-zero"),
                           QStringLiteral("520")} +
               source;
    };
    const QStringList fromWages = {QStringLiteral("--wages"), wages};
    const QString replay = data + QStringLiteral("/QBData.xml");

    // The replay is the support file of one run against the simulated company. A company too large for one
    // answer (a million employees make more than the 1 GiB an answer may hold) is measured without it.
    const bool replayable = runOnce(file(QStringLiteral("IL"),
                                         {QStringLiteral("--quickbooks"), QStringLiteral("simulated:") + company,
                                          QStringLiteral("--support-file")},
                                         QStringLiteral("simulated.txt")))
                                .status == 0;
    if (replayable) {
        QFile::rename(replay, path(QStringLiteral("answer.xml")));
    }

    struct Row
    {
        Row(QString what, QStringList command, QString target, QStringList before = {})
            : what(std::move(what)), command(std::move(command)), target(std::move(target)), before(std::move(before))
        {}
        QString what;
        QStringList command;
        QString target;
        QStringList before; ///< run untimed before each timed run
    };
    const qint64 fileBytes = [&] {
        runOnce(file(QStringLiteral("IL"), fromWages, QStringLiteral("il.txt")));
        return QFileInfo(path(QStringLiteral("il.txt"))).size();
    }();
    const QString count = QLocale(QLocale::English).toString(employees);
    const QString replayRow = QStringLiteral("file IL, %1 employees from a QuickBooks replay").arg(count);
    QList<Row> rows = {
        {QStringLiteral("floor: unzip -p of the sheet"),
         {QStringLiteral("unzip"), QStringLiteral("-p"), wages, QStringLiteral("xl/worksheets/sheet1.xml")},
         {}},
        {QStringLiteral("floor: dd of the file's %1 bytes").arg(fileBytes),
         {QStringLiteral("dd"), QStringLiteral("if=/dev/zero"), QStringLiteral("of=") + path(QStringLiteral("dd.out")),
          QStringLiteral("bs=%1").arg(fileBytes), QStringLiteral("count=1"), QStringLiteral("conv=fsync")},
         {}},
        {QStringLiteral("file IL, %1 employees from the workbook").arg(count),
         file(QStringLiteral("IL"), fromWages, QStringLiteral("il.txt")), QStringLiteral("<= 800 ms")},
        {QStringLiteral("file FL, %1 employees from the workbook").arg(count),
         file(QStringLiteral("FL"), fromWages, QStringLiteral("fl.txt")), QStringLiteral("<= 800 ms")},
        {replayRow,
         file(QStringLiteral("IL"),
              {QStringLiteral("--quickbooks"), QStringLiteral("replay:") + path(QStringLiteral("answer.xml"))},
              QStringLiteral("replayed.txt")),
         QStringLiteral("<= 1500 ms")},
        {QStringLiteral("wage-listing IL, 1,000 employees"),
         global + QStringList{QStringLiteral("wage-listing"), QStringLiteral("--state"), QStringLiteral("IL"),
                              QStringLiteral("--quarter"), QStringLiteral("1"), QStringLiteral("--year"),
                              QStringLiteral("2025"), QStringLiteral("--wages"), listingWages, QStringLiteral("--out"),
                              path(QStringLiteral("listing.pdf"))},
         {}},
        {QStringLiteral("file MA-PFML, 10,000 employees"),
         file(QStringLiteral("MA-PFML"), {QStringLiteral("--wages"), pfmlWages}, QStringLiteral("pfml-out.xlsx")),
         {}},
        // The desktop program started offscreen until its main window is up (its smoke test), each time after a
        // quarter of as many employees was filed: the start empties and compacts the store.
        {QStringLiteral("start of the desktop program to its main window"),
         {QStringLiteral(WAGETROVE_GUI), QStringLiteral("--smoke-test")},
         QStringLiteral("<= 500 ms"),
         file(QStringLiteral("IL"), fromWages, QStringLiteral("il.txt"))},
    };
    if (!replayable) {
        rows.removeIf([&replayRow](const Row& row) { return row.what == replayRow; });
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("WAGETROVE_DOCUMENTS_DIR", QFile::encodeName(documents));
    qputenv("WAGETROVE_TODAY", "2025-04-15");

    out << "commandbench: " << runs << " runs each, median; " << QThread::idealThreadCount() << " cores\n";
    if (!replayable) {
        out << "no QuickBooks replay: the simulated company's answer could not be written\n";
    }
    int status = 0;
    for (const Row& row : rows) {
        const Measured measured = measure(row.command, runs, row.before);
        out << qSetFieldWidth(58) << Qt::left << row.what << qSetFieldWidth(0) << qSetFieldWidth(8) << Qt::right
            << measured.ms << qSetFieldWidth(0) << " ms " << qSetFieldWidth(6) << measured.peakMb << qSetFieldWidth(0)
            << " MB";
        if (!row.target.isEmpty()) {
            out << "  (target " << row.target << ")";
        }
        if (measured.status != 0) {
            out << "  FAILED, exit status " << measured.status;
            status = 1;
        }
        out << '\n';
        out.flush();
    }
    return status;
}
