#include "acquire/getpayrolldata.h"
#include "acquire/qb/simulatedquickbooks.h"
#include "app/createfile.h"
#include "app/datafolder.h"
#include "app/period.h"
#include "app/startup.h"
#include "app/statecatalogue.h"
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
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace wagetrove;

namespace {

using test::bytesOf;

using Run = test::CliRun;

} // namespace

class TestCli : public QObject, protected test::StartedProgram
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString data() const { return path(QStringLiteral("data")); }
    QString sample() const { return data() + QLatin1Char('/') + kSampleWagesName; }

    test::CliProcess program() const
    {
        return test::CliProcess(QStringLiteral(WAGETROVE_CLI), data(), path(QStringLiteral("documents")));
    }

    void startCli(QProcess& process, const QStringList& arguments) const { program().start(process, arguments); }
    static Run finished(QProcess& process) { return test::CliProcess::finished(process); }

    Run cli(const QStringList& arguments, const QString& today = QStringLiteral("2025-04-15"),
            const QByteArray& input = {}) const
    {
        return program().run(arguments, today, input);
    }

    QStringList fileArguments(const QString& out) const
    {
        return test::CliProcess::quarterFile(QStringLiteral("IL"), out) << QStringLiteral("--wages") << sample();
    }

    void fillSubmitter()
    {
        const Run run = cli(test::CliProcess::submitterArguments());
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains(QStringLiteral("EIN: 98-7654321\n")));
    }

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void demo_illinoisFileIsTheWindowsFile()
    {
        // The README's demo, for every state whose file has landed, into a folder of the test's own.
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
        const QByteArray bytes = bytesOf(path(QStringLiteral("demo/files/L1234567.251")));
        QCOMPARE(bytes.size(), 18 * 276);

        // The windows' path over the same workbook, Submitter row and day, run in this process.
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
        QCOMPARE(bytes, bytesOf(windows));
    }

    void sameDay_sameBytes()
    {
        fillSubmitter();
        const Run first = cli(fileArguments(path(QStringLiteral("first.251"))));
        QCOMPARE(first.status, 0);
        QVERIFY(first.out.contains(QStringLiteral("File written: ") + path(QStringLiteral("first.251"))));
        QVERIFY(first.err.contains(QStringLiteral(
            "Wagetrove: File Successfully Created. Now log into Illinois Website and upload this file.")));
        const QByteArray bytes = bytesOf(path(QStringLiteral("first.251")));
        QCOMPARE(bytes.size(), 18 * 276);
        // The same day gives the same bytes; another day dates the file differently.
        QCOMPARE(cli(fileArguments(path(QStringLiteral("second.251")))).status, 0);
        QCOMPARE(bytesOf(path(QStringLiteral("second.251"))), bytes);
        QCOMPARE(cli(fileArguments(path(QStringLiteral("later.251"))), QStringLiteral("2025-04-16")).status, 0);
        QVERIFY(bytesOf(path(QStringLiteral("later.251"))) != bytes);
    }

    void corrections_reachTheFileThroughTheirBoxes()
    {
        fillSubmitter();
        QDir().mkpath(path(QStringLiteral("out")));
        QStringList arguments = fileArguments(QString());
        arguments.remove(arguments.indexOf(QStringLiteral("--out")), 2);
        arguments << QStringLiteral("--out-dir") << path(QStringLiteral("out")) << QStringLiteral("--state-id")
                  << QStringLiteral(" 7654321 ") << QStringLiteral("--rate") << QStringLiteral("3.1")
                  << QStringLiteral("--transmitter-name") << QStringLiteral("BOOKS R US") << QStringLiteral("--json");
        const Run run = cli(arguments);
        QCOMPARE(run.status, 0);
        const QJsonObject result = QJsonDocument::fromJson(run.out.toUtf8()).object();
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
        QStringList arguments = fileArguments(QString());
        arguments.remove(arguments.indexOf(QStringLiteral("--out")), 2);
        arguments[2] = QStringLiteral("MA-PFML");
        arguments << QStringLiteral("--out-dir") << path(QStringLiteral("out")) << QStringLiteral("--med-percent")
                  << QStringLiteral("50") << QStringLiteral("--family-percent") << QStringLiteral("100");
        const Run run = cli(arguments);
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
        QCOMPARE(QFile::exists(path(out)), status == 0);
        QCOMPARE(run.out.contains(QStringLiteral("File written: ") + path(out)), status == 0);
        QVERIFY(!run.err.contains(QStringLiteral("Not opened")));
        QVERIFY(QDir(data()).entryList({QStringLiteral("FilledIn*.pdf")}, QDir::Files).isEmpty());
        if (status == 0) {
            QVERIFY(bytesOf(path(out)).startsWith("%PDF-"));
        }
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

        QStringList json = fileArguments(out);
        json << QStringLiteral("--json");
        run = cli(json);
        QCOMPARE(run.status, 1);
        const QJsonObject result = QJsonDocument::fromJson(run.out.toUtf8()).object();
        const QJsonArray findings = result.value(QStringLiteral("findings")).toArray();
        QCOMPARE(findings.size(), 8);
        QCOMPARE(findings.first().toString(), QStringLiteral("- Submitter EIN must be in xx-xxxxxxx format"));
        QVERIFY(result.value(QStringLiteral("file")).isNull());

        // A refusal of the transmitter window, and a correction its box refuses, leave an existing file alone.
        fillSubmitter();
        QVERIFY(QFile(out).open(QIODevice::WriteOnly));
        const struct
        {
            QStringList extra;
            QString message;
        } stops[] = {
            {{QStringLiteral("--employer-state"), QStringLiteral("ILL")},
             QStringLiteral("Wagetrove: State must be 2 characters")},
            {{QStringLiteral("--transmitter-ein"), QStringLiteral(" ")},
             QStringLiteral("Wagetrove: Transmitter Federal EIN Missing")},
            {{QStringLiteral("--rate"), QStringLiteral("abc")},
             QStringLiteral("Wagetrove: Invalid Unemployment Rate.")},
            {{QStringLiteral("--ein"), QStringLiteral("12-345")},
             QStringLiteral("Wagetrove: EIN must be in xx-xxxxxxx format.")},
        };
        for (const auto& stop : stops) {
            run = cli(fileArguments(out) + stop.extra);
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.contains(stop.message), qPrintable(run.err));
            QCOMPARE(QFileInfo(out).size(), 0);
        }
    }

    void otherFailures_exitThreeAndWriteNothing()
    {
        fillSubmitter();
        QFile notAWorkbook(path(QStringLiteral("wages.xlsx")));
        QVERIFY(notAWorkbook.open(QIODevice::WriteOnly));
        notAWorkbook.write("not a workbook");
        notAWorkbook.close();
        QStringList arguments = fileArguments(path(QStringLiteral("a.251")));
        arguments[arguments.indexOf(sample())] = notAWorkbook.fileName();
        QCOMPARE(cli(arguments).status, 3);
        QVERIFY(!QFile::exists(path(QStringLiteral("a.251"))));

        const QString noFolder = path(QStringLiteral("missing/a.251"));
        const Run run = cli(fileArguments(noFolder));
        QCOMPARE(run.status, 3);
        QVERIFY(!QFile::exists(noFolder));

        // Another copy on the same data folder: the run does not touch the store it may be using.
        SingleInstanceGuard other(data());
        QVERIFY(other.tryAcquire());
        QVERIFY(QFile::exists(data() + QStringLiteral("/wagetrove.lock")));
        QCOMPARE(cli(fileArguments(path(QStringLiteral("b.251")))).status, 3);
        QVERIFY(!QFile::exists(path(QStringLiteral("b.251"))));
    }

    QStringList quickBooksArguments(const QString& state, const QString& connection, const QString& out) const
    {
        return test::CliProcess::quarterFile(state, out) << QStringLiteral("--quickbooks") << connection
                                                         << QStringLiteral("--hours-for-zero") << QStringLiteral("520");
    }

    QString demoCompany() const { return QStringLiteral("simulated:%1/demo-company.json").arg(test::programFolder()); }

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
        const QStringList answers = {QStringLiteral("--sui-item"),         QStringLiteral("IL - Unemployment Company"),
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
        const Run set = cli({QStringLiteral("options"), QStringLiteral("--qbwc-user"), QStringLiteral("bookkeeper"),
                             QStringLiteral("--qbwc-password")},
                            QStringLiteral("2025-04-15"), password.toUtf8() + "\r\n");
        QCOMPARE(set.status, 0);
        QVERIFY(set.out.contains(QStringLiteral("QBWCUserName=bookkeeper\nQBWCPassword=set\n")));
        const Run qwc =
            cli({QStringLiteral("qwc"), QStringLiteral("--url"), QStringLiteral("http://localhost:8089/qbwc"),
                 QStringLiteral("--out"), path(QStringLiteral("wagetrove.qwc"))});
        QCOMPARE(qwc.status, 0);
        QVERIFY(bytesOf(path(QStringLiteral("wagetrove.qwc"))).contains("<UserName>bookkeeper</UserName>"));

        const Run simulated =
            cli(quickBooksArguments(QStringLiteral("IL"), demoCompany(), path(QStringLiteral("simulated.out"))));
        QVERIFY2(simulated.status == 0, qPrintable(simulated.err));

        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        QProcess run;
        startCli(run, quickBooksArguments(QStringLiteral("IL"), QStringLiteral("webconnector:%1").arg(port),
                                          path(QStringLiteral("webconnector.out"))) +
                          QStringList{QStringLiteral("--wait"), QStringLiteral("20")});
        QByteArray waiting;
        run.setReadChannel(QProcess::StandardError);
        while (!waiting.contains("Serving http://127.0.0.1:") && run.waitForReadyRead(20000)) {
            waiting += run.readAllStandardError();
        }
        QVERIFY2(waiting.contains("Waiting for QuickBooks Web Connector"), waiting.constData());
        auto company = SimulatedQuickBooks::fromFixture(test::programFolder() + QStringLiteral("/demo-company.json"));
        company->openConnection(QStringLiteral("test"), QStringLiteral("test"));
        company->beginSession();
        WebConnectorClient client(QUrl(QStringLiteral("http://127.0.0.1:%1/qbwc").arg(port)),
                                  {QStringLiteral("bookkeeper"), password, true, {}, {}, {}}, *company);
        client.start();
        QTRY_VERIFY_WITH_TIMEOUT(client.finished(), 20000);
        const Run filed = finished(run);
        QVERIFY2(filed.status == 0, qPrintable(QString::fromUtf8(waiting) + filed.err));
        QCOMPARE(client.calls().last(), QStringLiteral("closeConnection=Wagetrove has the payroll data."));
        QCOMPARE(bytesOf(path(QStringLiteral("webconnector.out"))), bytesOf(path(QStringLiteral("simulated.out"))));
        // The password itself is kept nowhere and shown nowhere.
        for (const QString& text : {QString::fromUtf8(bytesOf(data() + QStringLiteral("/suta.ini"))), set.out, set.err,
                                    qwc.out, filed.out, filed.err + QString::fromUtf8(waiting)}) {
            QVERIFY(!text.contains(password));
        }
    }

    void quickBooksStops_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("the item list shown without an answer")
            << QStringList{QStringLiteral("--state"), QStringLiteral("TX")} << 3
            << QStringLiteral("Wagetrove: Can't find payroll item.");
        QTest::newRow("an account number the list refuses")
            << QStringList{QStringLiteral("--state"),
                           QStringLiteral("TX"),
                           QStringLiteral("--sui-item"),
                           QStringLiteral("IL - Unemployment Company"),
                           QStringLiteral("--state-account-id"),
                           QStringLiteral("123")}
            << 1 << QStringLiteral("Wagetrove: State Account ID invalid. Enter in xx-xxxxxx-x format");
        QTest::newRow("an item the list does not offer")
            << QStringList{QStringLiteral("--state"), QStringLiteral("TX"), QStringLiteral("--sui-item"),
                           QStringLiteral("IL - Withholding")}
            << 2 << QStringLiteral("--sui-item \"IL - Withholding\" is not one of the payroll items offered");
        QTest::newRow("a version not supported") << QStringList{QStringLiteral("--version-36")} << 3
                                                 << QStringLiteral("is not supported by the version of Wagetrove");
        QTest::newRow("a replay file missing")
            << QStringList{QStringLiteral("--replay-missing")} << 3
            << QStringLiteral("Wagetrove could not get the payroll data from QuickBooks.");
    }
    void quickBooksStops()
    {
        QFETCH(QStringList, extra);
        QFETCH(int, status);
        QFETCH(QString, message);
        fillSubmitter();
        QString state = QStringLiteral("IL");
        QString connection = demoCompany();
        if (extra.startsWith(QStringLiteral("--state"))) {
            state = extra.at(1);
            extra = extra.mid(2);
        } else if (extra == QStringList{QStringLiteral("--version-36")}) {
            QByteArray company = bytesOf(test::programFolder() + QStringLiteral("/demo-company.json"));
            company.replace("\"majorVersion\": \"34\"", "\"majorVersion\": \"36\"");
            QFile file(path(QStringLiteral("newer.json")));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(company) > 0);
            file.close();
            connection = QStringLiteral("simulated:") + file.fileName();
            extra.clear();
        } else {
            connection = QStringLiteral("replay:") + path(QStringLiteral("nothing.xml"));
            extra.clear();
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
        const QString out = QStringLiteral("--out=/nonexistent/x");
        const QString wages = QStringLiteral("--wages=w.xlsx");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{QStringLiteral("print")};
        QTest::newRow("unknown option") << QStringList{QStringLiteral("states"), QStringLiteral("--all")};
        QTest::newRow("missing value") << QStringList{QStringLiteral("submitter"), QStringLiteral("--name")};
        QTest::newRow("twice") << QStringList{QStringLiteral("submitter"), QStringLiteral("--zip=1"),
                                              QStringLiteral("--zip=2")};
        QTest::newRow("flag value") << QStringList{QStringLiteral("options"), QStringLiteral("--use-employer=maybe")};
        QTest::newRow("both standalone") << QStringList{QStringLiteral("options"), QStringLiteral("--standalone=Y"),
                                                        QStringLiteral("--standalone-noqb=Y")};
        QTest::newRow("no state") << QStringList{QStringLiteral("file"), wages, out};
        QTest::newRow("wage listing without out")
            << QStringList{QStringLiteral("wage-listing"), QStringLiteral("--state=IL"), wages};
        QTest::newRow("wage listing to a folder") << QStringList{
            QStringLiteral("wage-listing"), QStringLiteral("--state=IL"), wages, QStringLiteral("--out-dir=/tmp")};
        QTest::newRow("unknown state") << QStringList{QStringLiteral("file"), QStringLiteral("--state=ZZ"), wages, out};
        for (const StateEntry& entry : stateCatalogue()) {
            if (!isCreateFileOffered(entry.item())) {
                QTest::newRow("no writer")
                    << QStringList{QStringLiteral("file"), QStringLiteral("--state"), entry.text, wages, out};
                break;
            }
        }
        for (const StateEntry& entry : stateCatalogue()) {
            if (isCreateFileOffered(entry.item()) && !hasTransmitterWriter(entry.item())) {
                QTest::newRow("no transmitter window") << QStringList{QStringLiteral("file"),
                                                                      QStringLiteral("--state"),
                                                                      entry.text,
                                                                      wages,
                                                                      out,
                                                                      QStringLiteral("--contact-name=X")};
                break;
            }
        }
        QTest::newRow("quarter 5") << QStringList{QStringLiteral("file"), QStringLiteral("--state=4"),
                                                  QStringLiteral("--quarter=5"), wages, out};
        QTest::newRow("quarter and dates") << QStringList{QStringLiteral("file"),
                                                          QStringLiteral("--state=Illinois"),
                                                          QStringLiteral("--quarter=1"),
                                                          QStringLiteral("--from=01/01/2025"),
                                                          QStringLiteral("--to=03/31/2025"),
                                                          wages,
                                                          out};
        QTest::newRow("no output") << QStringList{QStringLiteral("file"), QStringLiteral("--state=IL"), wages};
        QTest::newRow("neither wages nor QuickBooks")
            << QStringList{QStringLiteral("file"), QStringLiteral("--state=IL"), out};
        QTest::newRow("unknown wage mode")
            << QStringList{QStringLiteral("file"), QStringLiteral("--state=IL"),
                           QStringLiteral("--quickbooks=replay:x"), QStringLiteral("--wage-mode=net"), out};
        QTest::newRow("two outputs") << QStringList{QStringLiteral("file"), QStringLiteral("--state=IL"), wages, out,
                                                    QStringLiteral("--out-dir=/tmp")};
        QTest::newRow("rate for PFML") << QStringList{QStringLiteral("file"), QStringLiteral("--state=MA-PFML"), wages,
                                                      out, QStringLiteral("--rate=1")};
        QTest::newRow("bad dates") << QStringList{QStringLiteral("file"),
                                                  QStringLiteral("--state=IL"),
                                                  QStringLiteral("--from=13/45/2025"),
                                                  QStringLiteral("--to=03/31/2025"),
                                                  wages,
                                                  out};
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
        Run run = cli({QStringLiteral("options"), QStringLiteral("--standalone-noqb"), QStringLiteral("y"),
                       QStringLiteral("--remit-id"), QStringLiteral("123456"), QStringLiteral("--wage-limit"),
                       QStringLiteral("7000")});
        QCOMPARE(run.status, 0);
        const IniFile ini(data() + QStringLiteral("/suta.ini"));
        const auto value = [&ini](const char* key) { return ini.read(QStringLiteral("Options"), QLatin1String(key)); };
        QCOMPARE(value("StandAlonenoqb"), QStringLiteral("Y"));
        QCOMPARE(value("StandAlone"), QStringLiteral("N"));
        QCOMPARE(value("UseEmployer"), QStringLiteral("N"));
        QCOMPARE(value("RemitID"), QStringLiteral("123456"));
        QCOMPARE(value("WageLimit"), QStringLiteral("7000"));

        run = cli({QStringLiteral("options"), QStringLiteral("--wage-limit"), QStringLiteral("lots")});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(QStringLiteral("Wagetrove: Invalid Wage Limit.")));
        run = cli({QStringLiteral("options")});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains(QStringLiteral("WageLimit=7000\nRemitID=123456\nUseEmployer=N\n")),
                 qPrintable(run.out));
        QVERIFY(run.out.contains(QStringLiteral("StandAlonenoqb=Y\n")));

        run = cli({QStringLiteral("options"), QStringLiteral("--quickbooks"), QStringLiteral("replay:QBData.xml")});
        QCOMPARE(run.status, 0);
        QCOMPARE(value("QuickBooks"), QStringLiteral("replay:QBData.xml"));
        QCOMPARE(value("StandAlonenoqb"), QStringLiteral("Y"));
    }

    void helpAndVersion_printedWithoutTouchingTheDataFolder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("printed");
        const QString version = QStringLiteral("wagetrove-cli 1.0\n");
        QTest::newRow("version") << QStringList{QStringLiteral("--version")} << version;
        QTest::newRow("version before a command")
            << QStringList{QStringLiteral("--version"), QStringLiteral("states")} << version;
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << QStringLiteral("Exit status");
        QTest::newRow("a command's help")
            << QStringList{QStringLiteral("file"), QStringLiteral("--help")} << QStringLiteral("--hours-for-zero ");
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
