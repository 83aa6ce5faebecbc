// Bad inputs and faults given to wagetrove-cli as a user's files would be: each run ends within 10 seconds with
// the expected exit status and message, leaves the output it was to replace as it was, leaves nothing else in
// the output folder, and leaves the wage store usable with its Submitter row.
#include "tests/support/cliprocess.h"
#include "tests/support/filebytes.h"
#include "tests/support/testenvironment.h"
#include "tests/support/workbookwriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

using test::bytesOf;
using test::writeBytes;

// A bound for hangs, not a speed target: the machines tests run on are shared, and a loaded one runs the
// slowest row several times slower than an idle one.
#ifdef __SANITIZE_ADDRESS__
constexpr qint64 kSlowestMs = 120000; // the sanitizers' instrumented build runs several times slower
#else
constexpr qint64 kSlowestMs = 40000;
#endif

} // namespace

class TestBadInputs : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_inputs = 0;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString sample() const { return test::programFolder() + u"/12-3456789-Sample-Wages.xlsx"_s; }
    QString nextInput(const QString& suffix) { return path(u"inputs/%1.%2"_s.arg(++m_inputs).arg(suffix)); }

    /// The sample workbook with `find` replaced by `replace` in one part (xl/worksheets/sheetN.xml for "sheetN").
    QString workbook(const QByteArray& part, const QByteArray& find, const QByteArray& replace)
    {
        auto parts = test::zipParts(sample());
        for (auto& [name, content] : parts) {
            if (name == part || name == "xl/worksheets/" + part + ".xml") {
                const qsizetype at = content.indexOf(find);
                if (at < 0) {
                    qFatal("\"%s\" is not in %s", find.constData(), name.constData());
                }
                content.replace(at, find.size(), replace);
            }
        }
        const QString file = nextInput(u"xlsx"_s);
        return test::writeZip(file, parts) ? file : QString();
    }

    QString fileOf(const QByteArray& bytes, const QString& suffix = u"bin"_s)
    {
        const QString file = nextInput(suffix);
        return writeBytes(file, bytes) ? file : QString();
    }

    /// The demo company's QuickBooks answer with every `find` replaced by `replace` (only the first when not `all`).
    QString answer(const QByteArray& find, const QByteArray& replace, bool all = true)
    {
        QByteArray bytes = m_answer;
        const qsizetype at = bytes.indexOf(find);
        if (at < 0) {
            qFatal("\"%s\" is not in the answer", find.constData());
        }
        return fileOf(all ? bytes.replace(find, replace) : bytes.replace(at, find.size(), replace), u"xml"_s);
    }

    QByteArray m_answer;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(path(u"inputs"_s)));
        // The data folder every run starts from: its Submitter row filled, nothing loaded. The demo company's
        // answer, saved as the support file of a run against the simulated company.
        for (const QString& folder : {u"filled"_s, u"answer"_s}) {
            const test::CliProcess cli(QStringLiteral(WAGETROVE_CLI), path(folder), path(u"documents"_s));
            QCOMPARE(cli.run(test::CliProcess::submitterArguments()).status, 0);
        }
        const test::CliRun run =
            test::CliProcess(QStringLiteral(WAGETROVE_CLI), path(u"answer"_s), path(u"documents"_s))
                .run(test::CliProcess::quarterFile(u"IL"_s, path(u"answer.txt"_s))
                     << u"--quickbooks"_s << u"simulated:%1/demo-company.json"_s.arg(test::programFolder())
                     << u"--support-file"_s << u"--hours-for-zero"_s << u"520"_s);
        QVERIFY2(run.status == 0, qPrintable(run.err));
        m_answer = bytesOf(path(u"answer/QBData.xml"_s));
        QVERIFY(m_answer.contains("<PayrollDetailReportQueryRs"));
    }

    void badInput_data()
    {
        // Where the input goes: "wages" (--wages), "replay" (--quickbooks replay:), "store" (Suta.mdb), "settings"
        // (suta.ini) or "out" (--out itself); the run's exit status and a message it shows.
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString sheetRefused = u"Wagetrove: Create Wages From File "_s;
        const QString qbRefused = u"Wagetrove could not get the payroll data from QuickBooks."_s;
        const auto row = [](const char* place, const char* name, const QString& input, int status,
                            const QString& message) {
            QTest::newRow(name) << QString::fromLatin1(place) << input << status << message;
        };
        // A workbook the import refuses, an answer the load refuses.
        const auto wages = [&](const char* name, const QString& input) { row("wages", name, input, 3, sheetRefused); };
        const auto replay = [&](const char* name, const QString& input) { row("replay", name, input, 3, qbRefused); };

        // The import's and the load's refusals of each malformed part are the reader's own tests; these are inputs
        // of each class that could hang the run, exhaust it, or end it otherwise. Workbooks empty, missing, a pipe,
        // inflated.
        wages("empty file", fileOf({}));
        wages("missing workbook", path(u"none.xlsx"_s));
        const QString pipe = path(u"pipe.xlsx"_s);
        wages("pipe as workbook", (::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0 ? pipe : QString()));
        row("wages", "sheet inflating 1,000-fold",
            workbook("sheet1", "</sheetData>", "</sheetData>" + QByteArray(300 << 20, ' ')), 0, QString());
        wages("entity bomb",
              workbook("sheet1", "<worksheet",
                       "<!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]><worksheet"));
        wages("comment of 100 MB",
              workbook("sheet1", "</sheetData>", "<!--" + QByteArray(100 << 20, 'x') + "--></sheetData>"));
        // Odd money and dates.
        row("wages", "header renamed", workbook("sheet1", ">GrossWages<", ">Gross<"), 3,
            u"Wagetrove: Invalid Format of Wages Spreadsheet"_s);
        wages("amount of 1e308", workbook("sheet1", "<c r=\"H2\"><v>12500.5</v>", "<c r=\"H2\"><v>1e308</v>"));
        row("wages", "negative amount", workbook("sheet1", "<c r=\"H2\"><v>12500.5</v>", "<c r=\"H2\"><v>-5</v>"), 3,
            u"The amount -5 is negative and cannot be written"_s);
        row("wages", "quarter ending month 13", workbook("sheet1", ">032025<", ">132025<"), 3,
            u"Quarter ending period on file"_s);
        // A bad SSN: the checks before filing stop the run.
        row("wages", "SSN of eight digits", workbook("sheet1", ">123456789<", ">12345678<"), 1, QString());

        // Damaged and locked stores, damaged settings.
        row("store", "store of random bytes", fileOf(QByteArray(8192, '\x5a')), 3, u"not a Wagetrove wage store"_s);
        row("store", "store truncated", u"truncated"_s, 3, u"cannot be used"_s);
        row("settings", "settings of binary bytes", fileOf(QByteArray("\0\xff\xfe[Options\0", 12)), 0, QString());
        row("settings", "settings with a huge line",
            fileOf("[Options]\r\nLastState=" + QByteArray(10 << 20, '9') + "\r\n"), 0, QString());
        row("settings", "settings is a folder", path(u"inputs"_s), 0, QString());

        // Outputs that cannot be written.
        row("out", "output folder missing", path(u"missing/a.txt"_s), 3, u"No such file or directory"_s);
        row("out", "output names a folder", path(u"inputs"_s), 3, u"Wagetrove"_s);
        // QuickBooks answers empty, with a document type, without column descriptions, with unknown columns, with
        // values that are not numbers, an error status, and huge.
        replay("answer empty", fileOf({}, u"xml"_s));
        replay("answer with a document type",
               answer("<QBXML>", "<!DOCTYPE QBXML [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><QBXML>"));
        // The detail report is read by the column numbers the request asked for.
        row("replay", "report without column descriptions", answer("ColDesc", "Unknown"), 0, QString());
        row("replay", "cell of a column no description has", answer("<ColData colID=\"5\"", "<ColData colID=\"55\""), 3,
            u"is negative and cannot be written"_s);
        row("replay", "amounts that are not numbers", answer("colID=\"5\" value=\"", "colID=\"5\" value=\"x"), 3,
            u"Unexpected Error has occured in LoadSUTAData. Try Again."_s);
        row("replay", "an error status from QuickBooks",
            answer("statusCode=\"0\" statusSeverity=\"Info\" statusMessage=\"Status OK\">\n<ReportRet",
                   "statusCode=\"3120\" statusSeverity=\"Error\" statusMessage=\"Object not found\">\n<ReportRet"),
            3, u"Object not found"_s);
        replay("text over 64 MiB", answer("Tarrow Demo Company", QByteArray(65 << 20, 'x')));
        QByteArray rows;
        rows.reserve(10000000 * 10);
        for (int i = 0; i < 10000000; ++i) {
            rows += "<DataRow/>";
        }
        row("replay", "report of 10 million rows",
            answer("<DataRow rowNumber=\"2\">", rows + "<DataRow rowNumber=\"2\">", false), 0, QString());
        rows = QByteArray();
        row("simulated", "simulated company not JSON", fileOf("{\"company\": ", u"json"_s), 3,
            u"could not be read: it is not valid JSON"_s);
        row("connection", "unknown connection", u"ftp:somewhere"_s, 3, u"does not say how to reach QuickBooks"_s);
        row("connection", "web connector port one past the last", u"webconnector:65536"_s, 3,
            u"does not name an address to serve the Web Connector at"_s);
    }

    void badInput()
    {
        QFETCH(QString, place);
        QFETCH(QString, input);
        QFETCH(int, status);
        QFETCH(QString, message);
        QVERIFY(!input.isEmpty());
        QTemporaryDir run;
        const QString data = run.filePath(u"data"_s);
        const test::CliProcess cli(QStringLiteral(WAGETROVE_CLI), data, run.filePath(u"documents"_s));
        QVERIFY(QDir().mkpath(data));
        for (const QString& name : QDir(path(u"filled"_s)).entryList(QDir::Files)) {
            QVERIFY(QFile::copy(path(u"filled/"_s) + name, data + u'/' + name));
        }
        // The store or the settings file replaced by the input: a folder of that name, or the input's bytes.
        const QString store = data + u"/Suta.mdb"_s;
        const QString replaced = place == u"store"_s      ? store
                                 : place == u"settings"_s ? data + u"/suta.ini"_s
                                                          : QString();
        if (!replaced.isEmpty()) {
            QFile::remove(replaced);
            if (input == u"truncated"_s) {
                QVERIFY(writeBytes(store, bytesOf(test::programFolder() + u"/Suta.mdb"_s).first(5000)));
            } else {
                QVERIFY(QFileInfo(input).isDir() ? QDir().mkpath(replaced) : QFile::copy(input, replaced));
            }
        }
        const QByteArray storeBefore = bytesOf(store);
        // The file the run is to replace, in a folder of its own.
        const QString outFolder = run.filePath(u"out"_s);
        const QString old = outFolder + u"/L1234567.251"_s;
        QVERIFY(QDir().mkpath(outFolder) && writeBytes(old, "the last quarter's file"));
        QStringList arguments = test::CliProcess::quarterFile(u"IL"_s, place == u"out"_s ? input : old)
                                << u"--hours-for-zero"_s << u"520"_s;
        const QString connection = place == u"replay"_s       ? u"replay:"_s + input
                                   : place == u"simulated"_s  ? u"simulated:"_s + input
                                   : place == u"connection"_s ? input
                                                              : QString();
        arguments << (connection.isEmpty() ? u"--wages"_s : u"--quickbooks"_s)
                  << (!connection.isEmpty() ? connection
                      : place == u"wages"_s ? input
                                            : sample());
        QElapsedTimer timer;
        timer.start();
        const test::CliRun result = cli.run(arguments);
        const qint64 took = timer.elapsed();
        qInfo("%lld ms, status %d: %s", took, result.status, qPrintable(result.err.left(300)));

        QCOMPARE(result.status, status);
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QVERIFY2(took < kSlowestMs, qPrintable(u"took %1 ms"_s.arg(took)));
        if (status != 0) {
            QCOMPARE(bytesOf(old), QByteArray("the last quarter's file"));
        }
        QCOMPARE(QDir(outFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{u"L1234567.251"_s});
        if (place == u"store"_s && status != 0) {
            QCOMPARE(bytesOf(store), storeBefore);
        } else if (place != u"store"_s) {
            QVERIFY(cli.run({u"submitter"_s}).out.contains(u"EIN: 98-7654321\n"_s));
        }
    }
};

QTEST_GUILESS_MAIN(TestBadInputs)
#include "tst_badinputs.moc"
