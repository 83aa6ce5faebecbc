#include "acquire/getpayrolldata.h"
#include "acquire/qb/simulatedquickbooks.h"
#include "app/createfile.h"
#include "app/datafolder.h"
#include "app/period.h"
#include "app/startup.h"
#include "cli/clidialogs.h"
#include "common/inifile.h"
#include "store/wagestore.h"
#include "tests/support/cliprocess.h"
#include "tests/support/filebytes.h"
#include "tests/support/scriptedpayrolldatawindows.h"
#include "tests/support/startedprogram.h"
#include "tests/support/webconnectorclient.h"
#include "tests/support/workbookwriter.h"
#include "writers/transmitter.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace wagetrove;

namespace {

using test::bytesOf;
using Run = test::CliRun;

/// The words of `line`, split at blanks; a text in single quotes is one word.
QStringList args(const char* line)
{
    static const QRegularExpression word(QStringLiteral("'([^']*)'|(\\S+)"));
    QStringList words;
    for (const QRegularExpressionMatch& match : word.globalMatch(QString::fromUtf8(line))) {
        words << match.captured(1) + match.captured(2);
    }
    return words;
}

QJsonObject jsonOf(const Run& run)
{
    return QJsonDocument::fromJson(run.out.toUtf8()).object();
}

} // namespace

class TestCli : public QObject, protected test::StartedProgram
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString data() const { return path(QStringLiteral("data")); }
    QString sample() const { return data() + QLatin1Char('/') + kSampleWagesName; }
    QString demoCompany() const { return QStringLiteral("simulated:%1/demo-company.json").arg(test::programFolder()); }

    test::CliProcess program() const
    {
        return test::CliProcess(QStringLiteral(WAGETROVE_CLI), data(), path(QStringLiteral("documents")));
    }

    Run cli(const QStringList& arguments, const QString& today = QStringLiteral("2025-04-15"),
            const QByteArray& input = {}) const
    {
        return program().run(arguments, today, input);
    }

    /// Illinois's first quarter of 2025 from the sample workbook, into `out` (or, when empty, no --out).
    QStringList fileArguments(const QString& out, const QString& state = QStringLiteral("IL")) const
    {
        QStringList arguments = test::CliProcess::quarterFile(state, out) << QStringLiteral("--wages") << sample();
        if (out.isEmpty()) {
            arguments.remove(arguments.indexOf(QStringLiteral("--out")), 2);
        }
        return arguments;
    }

    QStringList quickBooksArguments(const QString& state, const QString& connection, const QString& out) const
    {
        return test::CliProcess::quarterFile(state, out) << QStringLiteral("--quickbooks") << connection
                                                         << QStringLiteral("--hours-for-zero") << QStringLiteral("520");
    }

    void fillSubmitter()
    {
        const Run run = cli(test::CliProcess::submitterArguments());
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains(QStringLiteral("EIN: 98-7654321\n")));
    }

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // The README's demo writes the Illinois file the windows write from the same workbook, Submitter row and day,
    // and so does a run over another data folder; another day dates the file differently.
    void demo_illinoisFileIsTheWindowsFileAndTheSameEveryRun()
    {
        QProcess demo;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DEMO_OUTPUT"), path(QStringLiteral("demo")));
        demo.setProcessEnvironment(environment);
        QDir build(QFileInfo(QStringLiteral(WAGETROVE_CLI)).absolutePath());
        QVERIFY(build.cdUp());
        demo.start(QStringLiteral("bash"),
                   {QStringLiteral(WAGETROVE_SOURCE_DIR "/scripts/demo.sh"), build.absolutePath()});
        QVERIFY(demo.waitForFinished(240000));
        const QString output = QString::fromUtf8(demo.readAllStandardOutput() + demo.readAllStandardError());
        QVERIFY2(demo.exitStatus() == QProcess::NormalExit && demo.exitCode() == 0, qPrintable(output));
        QVERIFY2(output.contains(QStringLiteral("Total Wages               $136,356.89\n")), qPrintable(output));
        // Each state's file ends with its own word on where it goes.
        for (const char* const where :
             {"the Connecticut website", "Florida Website", "Illinois Website", "the Kentucky website",
              "the Massachusetts website", "Mississippi Website", "North Carolina Website", "South Carolina Website",
              "TN Website", "the Washington website"}) {
            QVERIFY2(output.contains(QStringLiteral("File Successfully Created. Now log into %1 and upload this file.")
                                         .arg(QLatin1String(where))),
                     where);
        }
        QVERIFY(
            output.contains(QStringLiteral("Wagetrove: File Successfully Created. Send File to State of Maryland.")));
        const QByteArray bytes = bytesOf(path(QStringLiteral("demo/files/L1234567.251")));
        QCOMPARE(bytes.size(), 18 * 276);

        fillSubmitter();
        const Run again = cli(fileArguments(path(QStringLiteral("again.251"))));
        QCOMPARE(again.status, 0);
        QVERIFY(again.out.contains(QStringLiteral("File written: ") + path(QStringLiteral("again.251"))));
        QVERIFY(again.err.contains(QStringLiteral(
            "Wagetrove: File Successfully Created. Now log into Illinois Website and upload this file.")));
        QCOMPARE(bytesOf(path(QStringLiteral("again.251"))), bytes);
        QCOMPARE(cli(fileArguments(path(QStringLiteral("later.251"))), QStringLiteral("2025-04-16")).status, 0);
        QVERIFY(bytesOf(path(QStringLiteral("later.251"))) != bytes);

        QVERIFY(writeSettings("[Options]\r\nStandAlonenoqb=Y\r\n"));
        QCOMPARE(startProgram(QDate(2025, 4, 15)), StartupResult::Ready);
        {
            WageStore store;
            store.open(dataFolder() + WageStore::kFileName);
            QSqlQuery submitter(store.database());
            QVERIFY(submitter.exec(QStringLiteral(
                "UPDATE Submitter SET Name = 'PAYROLL SERVICES LLC', Address = '2 OAK AVE', City = 'CHICAGO', "
                "State = 'IL', Zip = '60601', Contact = 'PAT DOE', Phone = '312-555-0100', EIN = '98-7654321', "
                "Email = 'pat@example.com'")));
        }
        selectState(*m_session, 2);
        clickQuarter(*m_session, m_state, 1, QDate(2025, 1, 1));
        m_dialogs.fileNext(dataFolder() + kSampleWagesName);
        test::ScriptedPayrollDataWindows payrollWindows;
        GetPayrollData(*m_session, m_state, m_dialogs, payrollWindows);
        const QString windows = path(QStringLiteral("windows.251"));
        m_dialogs.fileNext(windows);
        CreateFileCommand(*m_session, m_dialogs, [this] { CreateTransmitterFile(*m_session, m_dialogs, [] {}); });
        QCOMPARE(bytesOf(windows), bytes);
    }

    void corrections_reachTheFileThroughTheirBoxes()
    {
        fillSubmitter();
        QDir().mkpath(path(QStringLiteral("out")));
        const Run run = cli(fileArguments(QString())
                            << QStringLiteral("--out-dir") << path(QStringLiteral("out"))
                            << args("--state-id ' 7654321 ' --rate 3.1 --transmitter-name 'BOOKS R US' --json"));
        QCOMPARE(run.status, 0);
        const QJsonObject result = jsonOf(run);
        QCOMPARE(result.value(QStringLiteral("status")).toInt(), 0);
        const QJsonObject totals = result.value(QStringLiteral("totals")).toObject();
        QCOMPARE(totals.value(QStringLiteral("Text9")).toString(), QStringLiteral("7654321"));
        QCOMPARE(totals.value(QStringLiteral("Text6")).toString(), QStringLiteral("3.1"));
        QCOMPARE(totals.value(QStringLiteral("Text7")).toString(), QStringLiteral("$3,775.08"));
        QCOMPARE(result.value(QStringLiteral("captions")).toObject().value(QStringLiteral("Label11")).toString(),
                 QStringLiteral("EIN"));
        QCOMPARE(result.value(QStringLiteral("proposedName")).toString(), QStringLiteral("L7654321.251"));
        const QString written = path(QStringLiteral("out/L7654321.251"));
        QCOMPARE(result.value(QStringLiteral("file")).toString(), written);
        QVERIFY(result.value(QStringLiteral("findings")).toArray().isEmpty());
        QCOMPARE(result.value(QStringLiteral("messages")).toArray().last().toObject().value(QStringLiteral("title")),
                 QJsonValue(QStringLiteral("Wagetrove")));
        const QByteArray bytes = bytesOf(written);
        QCOMPARE(bytes.size(), 18 * 276);
        QVERIFY(bytes.contains("BOOKS R US"));
        QCOMPARE(bytes.mid(16 * 276 + 267, 7), QByteArray("7654321"));
    }

    // The PFML shares are typed into the totals window's boxes; the workbook names its path and is not opened.
    void pfml_sharesReachTheWorkbook()
    {
        fillSubmitter();
        QDir().mkpath(path(QStringLiteral("out")));
        const Run run = cli(fileArguments(QString(), QStringLiteral("MA-PFML"))
                            << QStringLiteral("--out-dir") << path(QStringLiteral("out"))
                            << args("--med-percent 50 --family-percent 100"));
        QCOMPARE(run.status, 0);
        const QString written = path(QStringLiteral("out/PFML-1234567.xlsx"));
        QVERIFY2(run.err.contains(QStringLiteral("Not opened: ") + written), qPrintable(run.err));
        QCOMPARE(test::sheetRowTexts(written, 9).at(2),
                 QStringLiteral("666778888|MICHAEL|BROWN|||3125.75|3125.75|50|100"));
    }

    // The listing needs no Submitter row; no viewer is started and no page file is left in the data folder.
    void wageListing_writesThePdf_data()
    {
        QTest::addColumn<QString>("out");
        QTest::addColumn<int>("status");
        QTest::newRow("written") << QStringLiteral("WL.pdf") << 0;
        QTest::newRow("folder missing") << QStringLiteral("missing/WL.pdf") << 3;
    }

    void wageListing_writesThePdf()
    {
        QFETCH(QString, out);
        QFETCH(int, status);
        QStringList arguments = fileArguments(path(out));
        arguments[0] = QStringLiteral("wage-listing");
        const Run run = cli(arguments);
        QCOMPARE(run.status, status);
        QCOMPARE(run.out.contains(QStringLiteral("File written: ") + path(out)), status == 0);
        QVERIFY(!run.err.contains(QStringLiteral("Not opened")));
        QVERIFY(QDir(data()).entryList({QStringLiteral("FilledIn*.pdf")}, QDir::Files).isEmpty());
        QCOMPARE(bytesOf(path(out)).startsWith("%PDF-"), status == 0);
    }

    void checksThatStop_exitOneAndWriteNothing()
    {
        const QString out = path(QStringLiteral("L1234567.251"));
        // No Submitter row filled yet: the findings, one a line, and no file.
        Run run = cli(fileArguments(out));
        QCOMPARE(run.status, 1);
        QVERIFY2(run.out.contains(QStringLiteral("\n- Submitter EIN must be in xx-xxxxxxx format\n- Submitter Company "
                                                 "Name Required\n- Submitter Company Address Required\n")),
                 qPrintable(run.out));
        QVERIFY(!QFile::exists(out));
        run = cli(fileArguments(out) << QStringLiteral("--json"));
        QCOMPARE(run.status, 1);
        const QJsonArray findings = jsonOf(run).value(QStringLiteral("findings")).toArray();
        QCOMPARE(findings.size(), 8);
        QCOMPARE(findings.first().toString(), QStringLiteral("- Submitter EIN must be in xx-xxxxxxx format"));
        QVERIFY(jsonOf(run).value(QStringLiteral("file")).isNull());

        // A refusal of the transmitter window, and a correction its box refuses, leave an existing file alone.
        fillSubmitter();
        QVERIFY(QFile(out).open(QIODevice::WriteOnly));
        const std::pair<const char*, const char*> stops[] = {
            {"--employer-state ILL", "Wagetrove: State must be 2 characters"},
            {"--transmitter-ein ' '", "Wagetrove: Transmitter Federal EIN Missing"},
            {"--rate abc", "Wagetrove: Invalid Unemployment Rate."},
            {"--ein 12-345", "Wagetrove: EIN must be in xx-xxxxxxx format."},
        };
        for (const auto& [extra, message] : stops) {
            run = cli(fileArguments(out) + args(extra));
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.contains(QLatin1String(message)), qPrintable(run.err));
            QCOMPARE(QFileInfo(out).size(), 0);
        }
    }

    void otherFailures_exitThreeAndWriteNothing()
    {
        fillSubmitter();
        QVERIFY(test::writeBytes(path(QStringLiteral("wages.xlsx")), "not a workbook"));
        QStringList arguments = fileArguments(path(QStringLiteral("a.251")));
        arguments[arguments.indexOf(sample())] = path(QStringLiteral("wages.xlsx"));
        QCOMPARE(cli(arguments).status, 3);
        QVERIFY(!QFile::exists(path(QStringLiteral("a.251"))));

        const QString noFolder = path(QStringLiteral("missing/a.251"));
        QCOMPARE(cli(fileArguments(noFolder)).status, 3);
        QVERIFY(!QFile::exists(noFolder));

        // Another copy on the same data folder: the run does not touch the store it may be using.
        SingleInstanceGuard other(data());
        QVERIFY(other.tryAcquire());
        QVERIFY(QFile::exists(data() + QStringLiteral("/wagetrove.lock")));
        QCOMPARE(cli(fileArguments(path(QStringLiteral("b.251")))).status, 3);
        QVERIFY(!QFile::exists(path(QStringLiteral("b.251"))));
    }

    void everyState_fromTheDemoCompany_andAgainFromItsReplay_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("account");
        const char* const states[][2] = {{"CT", "1234567890"},   {"FL", "1234567"},    {"IL", "1234567"},
                                         {"KY", "123456A"},      {"MD", "12345678"},   {"MA-QUEST", "12345678"},
                                         {"MA-PFML", "1234567"}, {"MS", "1234567890"}, {"NC", "1234567"},
                                         {"SC", "123456"},       {"TN", "12345678"},   {"TX", "12-345678-9"},
                                         {"WA", "123456789"}};
        for (const auto& [state, account] : states) {
            QTest::newRow(state) << QString::fromLatin1(state) << QString::fromLatin1(account);
        }
    }
    void everyState_fromTheDemoCompany_andAgainFromItsReplay()
    {
        QFETCH(QString, state);
        QFETCH(QString, account);
        fillSubmitter();
        // The demo company pays in Illinois and Massachusetts; elsewhere its Illinois item stands in.
        const QStringList answers =
            QStringList{QStringLiteral("--sui-item"),         QStringLiteral("IL - Unemployment Company"),
                        QStringLiteral("--state-account-id"), account,
                        QStringLiteral("--state-id"),         account};
        const Run simulated = cli(quickBooksArguments(state, demoCompany(), path(QStringLiteral("simulated.out"))) +
                                  answers + QStringList{QStringLiteral("--support-file")});
        QVERIFY2(simulated.status == 0, qPrintable(simulated.err));
        const QByteArray bytes = bytesOf(path(QStringLiteral("simulated.out")));
        QVERIFY(bytes.size() > 100);
        QVERIFY(QFile::copy(data() + QStringLiteral("/QBData.xml"), path(QStringLiteral("saved.xml"))));

        const Run replayed =
            cli(quickBooksArguments(state, QStringLiteral("replay:") + path(QStringLiteral("saved.xml")),
                                    path(QStringLiteral("replayed.out"))) +
                answers);
        QVERIFY2(replayed.status == 0, qPrintable(replayed.err));
        if (state != QLatin1String("MA-PFML")) {
            QCOMPARE(bytesOf(path(QStringLiteral("replayed.out"))), bytes);
        } else {
            // The workbook carries the time it was written; the sheets themselves are the same.
            QCOMPARE(bytesOf(path(QStringLiteral("replayed.out"))).size(), bytes.size());
        }
    }

    void webConnector_filesWhatTheSimulatedCompanyFiles()
    {
        fillSubmitter();
        const QString password = QStringLiteral("correct horse");
        const Run set = cli(args("options --qbwc-user bookkeeper --qbwc-password"), QStringLiteral("2025-04-15"),
                            password.toUtf8() + "\r\n");
        QCOMPARE(set.status, 0);
        QVERIFY(set.out.contains(QStringLiteral("QBWCUserName=bookkeeper\nQBWCPassword=set\n")));
        const Run qwc =
            cli(args("qwc --url http://localhost:8089/qbwc --out") << path(QStringLiteral("wagetrove.qwc")));
        QCOMPARE(qwc.status, 0);
        QVERIFY(bytesOf(path(QStringLiteral("wagetrove.qwc"))).contains("<UserName>bookkeeper</UserName>"));
        const Run simulated =
            cli(quickBooksArguments(QStringLiteral("IL"), demoCompany(), path(QStringLiteral("simulated.out"))));
        QVERIFY2(simulated.status == 0, qPrintable(simulated.err));

        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        // The run's own wait for the Web Connector's calls is far longer than a loaded machine takes for any.
        QProcess run;
        program().start(run, quickBooksArguments(QStringLiteral("IL"), QStringLiteral("webconnector:%1").arg(port),
                                                 path(QStringLiteral("webconnector.out")))
                                 << QStringLiteral("--wait") << QStringLiteral("120"));
        QByteArray waiting;
        run.setReadChannel(QProcess::StandardError);
        while (!waiting.contains("/qbwc\n") && run.waitForReadyRead(120000)) {
            waiting += run.readAllStandardError();
        }
        QVERIFY2(waiting.contains("Waiting for QuickBooks Web Connector"), waiting.constData());
        auto company = SimulatedQuickBooks::fromFixture(test::programFolder() + QStringLiteral("/demo-company.json"));
        company->openConnection(QStringLiteral("test"), QStringLiteral("test"));
        company->beginSession();
        WebConnectorClient client(QUrl(QStringLiteral("http://127.0.0.1:%1/qbwc").arg(port)),
                                  {QStringLiteral("bookkeeper"), password, true, {}, {}, {}}, *company);
        client.start();
        // The run ends as soon as it has answered closeConnection, often while this loop still runs the client:
        // its end is taken from the process as the loop left it, not waited for a second time.
        QTRY_VERIFY_WITH_TIMEOUT(client.finished() && run.state() == QProcess::NotRunning, 150000);
        const QString err = QString::fromUtf8(waiting + run.readAllStandardError());
        QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0, qPrintable(err));
        QCOMPARE(client.calls().last(), QStringLiteral("closeConnection=Wagetrove has the payroll data."));
        QCOMPARE(bytesOf(path(QStringLiteral("webconnector.out"))), bytesOf(path(QStringLiteral("simulated.out"))));
        // The password itself is kept nowhere and shown nowhere.
        for (const QString& text : {QString::fromUtf8(bytesOf(data() + QStringLiteral("/suta.ini"))), set.out, set.err,
                                    qwc.out, QString::fromUtf8(run.readAllStandardOutput()), err}) {
            QVERIFY(!text.contains(password));
        }
    }

    void quickBooksStops_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("company"); // the demo company's, one of a newer QuickBooks, or a replay missing
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const char* state, const char* company, const char* extra, int status,
                            const char* message) {
            QTest::newRow(name) << QString::fromLatin1(state) << QString::fromLatin1(company) << args(extra) << status
                                << QString::fromLatin1(message);
        };
        row("the item list shown without an answer", "TX", "demo", "", 3, "Wagetrove: Can't find payroll item.");
        row("an account number the list refuses", "TX", "demo",
            "--sui-item 'IL - Unemployment Company' --state-account-id 123", 1,
            "Wagetrove: State Account ID invalid. Enter in xx-xxxxxx-x format");
        row("an item the list does not offer", "TX", "demo", "--sui-item 'IL - Withholding'", 2,
            "--sui-item \"IL - Withholding\" is not one of the payroll items offered");
        row("a version not supported", "IL", "newer", "", 3, "is not supported by the version of Wagetrove");
        row("a replay file missing", "IL", "missing", "", 3,
            "Wagetrove could not get the payroll data from QuickBooks.");
    }
    void quickBooksStops()
    {
        QFETCH(QString, state);
        QFETCH(QString, company);
        QFETCH(QStringList, extra);
        QFETCH(int, status);
        QFETCH(QString, message);
        fillSubmitter();
        QString connection = demoCompany();
        if (company == QLatin1String("newer")) {
            QByteArray json = bytesOf(test::programFolder() + QStringLiteral("/demo-company.json"));
            json.replace("\"majorVersion\": \"34\"", "\"majorVersion\": \"36\"");
            QVERIFY(test::writeBytes(path(QStringLiteral("newer.json")), json));
            connection = QStringLiteral("simulated:") + path(QStringLiteral("newer.json"));
        } else if (company == QLatin1String("missing")) {
            connection = QStringLiteral("replay:") + path(QStringLiteral("nothing.xml"));
        }
        const Run run = cli(quickBooksArguments(state, connection, path(QStringLiteral("a.out"))) + extra +
                            QStringList{QStringLiteral("--json")});
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(!QFile::exists(path(QStringLiteral("a.out"))));
    }

    void outputOverWhatTheRunReads_refused()
    {
        fillSubmitter();
        const QByteArray workbook = bytesOf(sample());
        QCOMPARE(cli(fileArguments(sample())).status, 2);
        QCOMPARE(bytesOf(sample()), workbook);
        QCOMPARE(cli(fileArguments(data() + QStringLiteral("/Suta.mdb"))).status, 2);
        QVERIFY(cli({QStringLiteral("submitter")}).out.contains(QStringLiteral("EIN: 98-7654321\n")));
    }

    void usageErrors_exitTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << args("print");
        QTest::newRow("unknown option") << args("states --all");
        QTest::newRow("missing value") << args("submitter --name");
        QTest::newRow("twice") << args("submitter --zip=1 --zip=2");
        QTest::newRow("flag value") << args("options --use-employer=maybe");
        QTest::newRow("both standalone") << args("options --standalone=Y --standalone-noqb=Y");
        QTest::newRow("no state") << args("file --wages=w.xlsx --out=/nonexistent/x");
        QTest::newRow("wage listing without out") << args("wage-listing --state=IL --wages=w.xlsx");
        QTest::newRow("wage listing to a folder") << args("wage-listing --state=IL --wages=w.xlsx --out-dir=/tmp");
        QTest::newRow("unknown state") << args("file --state=ZZ --wages=w.xlsx --out=/nonexistent/x");
        QTest::newRow("no transmitter window")
            << args("file --state CT --wages=w.xlsx --out=/nonexistent/x --contact-name=X");
        QTest::newRow("quarter 5") << args("file --state=4 --quarter=5 --wages=w.xlsx --out=/nonexistent/x");
        QTest::newRow("quarter and dates") << args(
            "file --state=Illinois --quarter=1 --from=01/01/2025 --to=03/31/2025 --wages=w.xlsx --out=/nonexistent/x");
        QTest::newRow("no output") << args("file --state=IL --wages=w.xlsx");
        QTest::newRow("neither wages nor QuickBooks") << args("file --state=IL --out=/nonexistent/x");
        QTest::newRow("unknown wage mode")
            << args("file --state=IL --quickbooks=replay:x --wage-mode=net --out=/nonexistent/x");
        QTest::newRow("two outputs") << args("file --state=IL --wages=w.xlsx --out=/nonexistent/x --out-dir=/tmp");
        QTest::newRow("rate for PFML") << args("file --state=MA-PFML --wages=w.xlsx --out=/nonexistent/x --rate=1");
        QTest::newRow("bad dates") << args(
            "file --state=IL --from=13/45/2025 --to=03/31/2025 --wages=w.xlsx --out=/nonexistent/x");
    }

    void usageErrors_exitTwo()
    {
        QFETCH(QStringList, arguments);
        const Run run = cli(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(QStringLiteral("Try 'wagetrove-cli --help'.")), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
    }

    void options_writtenAsTheSubmitterWindowWrites()
    {
        Run run = cli(args("options --standalone-noqb y --remit-id 123456 --wage-limit 7000"));
        QCOMPARE(run.status, 0);
        const IniFile ini(data() + QStringLiteral("/suta.ini"));
        const auto value = [&ini](const char* key) { return ini.read(QStringLiteral("Options"), QLatin1String(key)); };
        QCOMPARE(QStringList({value("StandAlonenoqb"), value("StandAlone"), value("UseEmployer"), value("RemitID"),
                              value("WageLimit")})
                     .join(u' '),
                 QStringLiteral("Y N N 123456 7000"));

        run = cli(args("options --wage-limit lots"));
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(QStringLiteral("Wagetrove: Invalid Wage Limit.")));
        run = cli({QStringLiteral("options")});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains(QStringLiteral("WageLimit=7000\nRemitID=123456\nUseEmployer=N\n")),
                 qPrintable(run.out));
        QVERIFY(run.out.contains(QStringLiteral("StandAlonenoqb=Y\n")));

        QCOMPARE(cli(args("options --quickbooks replay:QBData.xml")).status, 0);
        QCOMPARE(value("QuickBooks"), QStringLiteral("replay:QBData.xml"));
        QCOMPARE(value("StandAlonenoqb"), QStringLiteral("Y"));
    }

    void helpAndVersion_printedWithoutTouchingTheDataFolder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("printed");
        const QString version = QStringLiteral("wagetrove-cli 1.0\n");
        QTest::newRow("version") << args("--version") << version;
        QTest::newRow("version before a command") << args("--version states") << version;
        QTest::newRow("help") << args("--help") << QStringLiteral("Exit status");
        QTest::newRow("a command's help") << args("file --help") << QStringLiteral("--hours-for-zero ");
    }

    void helpAndVersion_printedWithoutTouchingTheDataFolder()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, printed);
        const Run run = cli(arguments);
        QCOMPARE(run.status, 0);
        // The version is the whole output; a help text holds at least the line asked for.
        QVERIFY2(printed.endsWith(u'\n') ? run.out == printed : run.out.contains(printed), qPrintable(run.out));
        QCOMPARE(run.err, QString());
        QVERIFY(!QFile::exists(data()));
    }

    void cliDialogs_neverWaitForAnAnswer()
    {
        QString log;
        QTextStream errors(&log);
        CliDialogs dialogs(errors);
        QCOMPARE(dialogs.message(QStringLiteral("Go on?"), QStringLiteral("T"), MessageIcon::Question,
                                 MessageButtons::YesNo),
                 Answer::No);
        QCOMPARE(dialogs.message(QStringLiteral("line1\r\nline2"), QStringLiteral("T")), Answer::Ok);
        QCOMPARE(log, QStringLiteral("T: Go on?\nT: line1\nline2\n"));
        QCOMPARE(dialogs.unanswered().size(), 1);

        dialogs.answerInput(QStringLiteral("Enter Total Hours"), std::nullopt, QStringLiteral("--hours-for-zero"));
        QVERIFY(!dialogs.input(QStringLiteral("hours?"), QStringLiteral("Enter Total Hours")));
        QVERIFY(dialogs.unanswered().last().contains(QStringLiteral("--hours-for-zero")));
        // A refused answer is not given again: the program would ask forever.
        dialogs.answerInput(QStringLiteral("Enter Total Hours"), QStringLiteral("abc"), QStringLiteral("--hours"));
        QCOMPARE(dialogs.input(QStringLiteral("hours?"), QStringLiteral("Enter Total Hours")), QStringLiteral("abc"));
        QVERIFY(!dialogs.input(QStringLiteral("hours?"), QStringLiteral("Enter Total Hours")));
        QVERIFY(!dialogs.input(QStringLiteral("other?"), QStringLiteral("Other")));
        QCOMPARE(dialogs.unanswered().size(), 4);

        dialogs.answerSaveFile(QStringLiteral("/out"), true, QStringLiteral("--out-dir"));
        QCOMPARE(dialogs.saveFile({QStringLiteral("Save"), QStringLiteral("L1.251"), QString(), true, QString()}),
                 QStringLiteral("/out/L1.251"));
        QVERIFY(!dialogs.openFile({QStringLiteral("Open"), QString(), QString(), false, QString()}));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
