#include "app/datafolder.h"
#include "app/startup.h"
#include "common/inifile.h"
#include "tests/support/cliprocess.h"
#include "tests/support/filebytes.h"
#include "tests/support/storefixture.h"
#include "tests/support/testenvironment.h"
#include "tests/support/workbookwriter.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

using test::bytesOf;
using Run = test::CliRun;

/// The words of `line`, split at blanks; a text in single quotes is one word.
QStringList args(const char* line)
{
    static const QRegularExpression word(u"'([^']*)'|(\\S+)"_s);
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

class TestCli : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString data() const { return path(u"data"_s); }
    QString sample() const { return data() + u'/' + kSampleWagesName; }
    QString demoCompany() const { return u"simulated:%1/demo-company.json"_s.arg(test::programFolder()); }

    test::CliProcess program() const { return {QStringLiteral(WAGETROVE_CLI), data(), path(u"documents"_s)}; }

    Run cli(const QStringList& arguments, const QString& today = u"2025-04-15"_s, const QByteArray& input = {}) const
    {
        return program().run(arguments, today, input);
    }

    /// Illinois's first quarter of 2025 from the sample workbook, into `out` (or, when empty, no --out).
    QStringList fileArguments(const QString& out, const QString& state = u"IL"_s) const
    {
        QStringList arguments = test::CliProcess::quarterFile(state, out) << u"--wages"_s << sample();
        if (out.isEmpty()) {
            arguments.remove(arguments.indexOf(u"--out"_s), 2);
        }
        return arguments;
    }

    QStringList quickBooksArguments(const QString& state, const QString& connection, const QString& out) const
    {
        return test::CliProcess::quarterFile(state, out)
               << u"--quickbooks"_s << connection << args("--hours-for-zero 520");
    }

    void fillSubmitter()
    {
        const Run run = cli(test::CliProcess::submitterArguments());
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains(u"EIN: 98-7654321\n"_s));
    }

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // The README's demo files every state; its Illinois file is the same from a run over another data folder.
    void demo_everyStateFiled_andTheSameFileEveryRun()
    {
        QProcess demo;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DEMO_OUTPUT"_s, path(u"demo"_s));
        demo.setProcessEnvironment(environment);
        QDir build(QFileInfo(QStringLiteral(WAGETROVE_CLI)).absolutePath());
        QVERIFY(build.cdUp());
        demo.start(u"bash"_s, {QStringLiteral(WAGETROVE_SOURCE_DIR "/scripts/demo.sh"), build.absolutePath()});
        QVERIFY(demo.waitForFinished(240000));
        const QString output = QString::fromUtf8(demo.readAllStandardOutput() + demo.readAllStandardError());
        QVERIFY2(demo.exitStatus() == QProcess::NormalExit && demo.exitCode() == 0, qPrintable(output));
        QVERIFY2(output.contains(u"Total Wages               $136,356.89\n"_s), qPrintable(output));
        const QByteArray bytes = bytesOf(path(u"demo/files/L1234567.251"_s));
        QCOMPARE(bytes.size(), 18 * 276);

        fillSubmitter();
        const Run again = cli(fileArguments(path(u"again.251"_s)));
        QCOMPARE(again.status, 0);
        QVERIFY(again.out.contains(u"File written: "_s + path(u"again.251"_s)));
        QVERIFY(again.err.contains(
            u"Wagetrove: File Successfully Created. Now log into Illinois Website and upload this file."_s));
        QCOMPARE(bytesOf(path(u"again.251"_s)), bytes);
    }

    void corrections_reachTheFileThroughTheirBoxes()
    {
        fillSubmitter();
        QDir().mkpath(path(u"out"_s));
        const Run run = cli(fileArguments(QString()) << u"--out-dir"_s << path(u"out"_s)
                                                     << args("--state-id ' 7654321 ' --rate 3.1 --transmitter-name "
                                                             "'BOOKS R US' --json"));
        QCOMPARE(run.status, 0);
        const QJsonObject result = jsonOf(run);
        const QJsonObject totals = result.value(u"totals"_s).toObject();
        const QString written = path(u"out/L7654321.251"_s);
        QCOMPARE(QStringList({QString::number(result.value(u"status"_s).toInt()), totals.value(u"Text9"_s).toString(),
                              totals.value(u"Text6"_s).toString(), totals.value(u"Text7"_s).toString(),
                              result.value(u"captions"_s).toObject().value(u"Label11"_s).toString(),
                              result.value(u"proposedName"_s).toString(), result.value(u"file"_s).toString(),
                              result.value(u"messages"_s).toArray().last().toObject().value(u"title"_s).toString()})
                     .join(u'|'),
                 u"0|7654321|3.1|$3,775.08|EIN|L7654321.251|"_s + written + u"|Wagetrove"_s);
        QVERIFY(result.value(u"findings"_s).toArray().isEmpty());
        const QByteArray bytes = bytesOf(written);
        QCOMPARE(bytes.size(), 18 * 276);
        QVERIFY(bytes.contains("BOOKS R US"));
        QCOMPARE(bytes.mid(16 * 276 + 267, 7), QByteArray("7654321"));
    }

    // The State ID is saved in the company's row of the EIN as corrected, so --ein is taken before --state-id:
    // the loaded company's row, under its old EIN, then keeps no State ID.
    void corrections_einBeforeStateId_data()
    {
        QTest::addColumn<QStringList>("corrections");
        QTest::addColumn<QString>("rows"); // StateIDTable after the run: EIN|State|StateID
        QTest::newRow("state ID alone") << args("--state-id 7654321") << u"36-1234567|IL|7654321"_s;
        QTest::newRow("EIN and state ID") << args("--state-id 7654321 --ein 11-1111111") << u"36-1234567|IL|"_s;
    }
    void corrections_einBeforeStateId()
    {
        QFETCH(QStringList, corrections);
        QFETCH(QString, rows);
        fillSubmitter();
        const Run run = cli(quickBooksArguments(u"IL"_s, demoCompany(), path(u"a.251"_s)) + corrections);
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QCOMPARE(test::storeRows(data() + u'/', u"SELECT EIN, State, ifnull(StateID, '') FROM StateIDTable"_s), rows);
    }

    // The PFML shares are typed into the totals window's boxes; the workbook names its path and is not opened.
    void pfml_sharesReachTheWorkbook()
    {
        fillSubmitter();
        QDir().mkpath(path(u"out"_s));
        const Run run = cli(fileArguments(QString(), u"MA-PFML"_s)
                            << u"--out-dir"_s << path(u"out"_s) << args("--med-percent 50 --family-percent 100"));
        QCOMPARE(run.status, 0);
        const QString written = path(u"out/PFML-1234567.xlsx"_s);
        QVERIFY2(run.err.contains(u"Not opened: "_s + written), qPrintable(run.err));
        QCOMPARE(test::sheetRowTexts(written, 9).at(2), u"666778888|MICHAEL|BROWN|||3125.75|3125.75|50|100"_s);
    }

    // The listing needs no Submitter row; no viewer is started and no page file is left in the data folder.
    void wageListing_writesThePdf_data()
    {
        QTest::addColumn<QString>("out");
        QTest::addColumn<int>("status");
        QTest::newRow("written") << u"WL.pdf"_s << 0;
        QTest::newRow("folder missing") << u"missing/WL.pdf"_s << 3;
    }
    void wageListing_writesThePdf()
    {
        QFETCH(QString, out);
        QFETCH(int, status);
        QStringList arguments = fileArguments(path(out));
        arguments[0] = u"wage-listing"_s;
        const Run run = cli(arguments);
        QCOMPARE(run.status, status);
        QCOMPARE(run.out.contains(u"File written: "_s + path(out)), status == 0);
        QVERIFY(!run.err.contains(u"Not opened"_s));
        QVERIFY(QDir(data()).entryList({u"FilledIn*.pdf"_s}, QDir::Files).isEmpty());
        QCOMPARE(bytesOf(path(out)).startsWith("%PDF-"), status == 0);
    }

    void checksThatStop_exitOneAndWriteNothing()
    {
        const QString out = path(u"L1234567.251"_s);
        // No Submitter row filled yet: the findings, one a line, and no file.
        Run run = cli(fileArguments(out));
        QCOMPARE(run.status, 1);
        QVERIFY2(run.out.contains(u"\n- Submitter EIN must be in xx-xxxxxxx format\n- Submitter Company Name Required\n"
                                  "- Submitter Company Address Required\n"_s),
                 qPrintable(run.out));
        QVERIFY(!QFile::exists(out));
        run = cli(fileArguments(out) << u"--json"_s);
        QCOMPARE(run.status, 1);
        const QJsonArray findings = jsonOf(run).value(u"findings"_s).toArray();
        QCOMPARE(findings.size(), 8);
        QCOMPARE(findings.first().toString(), u"- Submitter EIN must be in xx-xxxxxxx format"_s);
        QVERIFY(jsonOf(run).value(u"file"_s).isNull());

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
        QVERIFY(test::writeBytes(path(u"wages.xlsx"_s), "not a workbook"));
        QStringList arguments = fileArguments(path(u"a.251"_s));
        arguments[arguments.indexOf(sample())] = path(u"wages.xlsx"_s);
        QCOMPARE(cli(arguments).status, 3);
        QVERIFY(!QFile::exists(path(u"a.251"_s)));
        const QString noFolder = path(u"missing/a.251"_s);
        QCOMPARE(cli(fileArguments(noFolder)).status, 3);
        QVERIFY(!QFile::exists(noFolder));
        // A correction the store refuses, and a store the checks cannot open after one, fail the run.
        int stateId = 0;
        for (const char* action : {"SELECT RAISE(ABORT, 'refused')", "DELETE FROM StoredQuery"}) {
            QCOMPARE(
                test::storeRows(data() + u'/', u"CREATE TRIGGER t%1 AFTER UPDATE ON StateIDTable WHEN NEW.StateID = "
                                               "'%1' BEGIN %2; END"_s.arg(++stateId)
                                                   .arg(QLatin1String(action))),
                QString());
            const QStringList arguments = quickBooksArguments(u"IL"_s, demoCompany(), path(u"c.251"_s));
            QCOMPARE(cli(arguments + QStringList{u"--state-id"_s, QString::number(stateId)}).status, 3);
            QVERIFY(!QFile::exists(path(u"c.251"_s)));
        }
        // Another copy on the same data folder: the run does not touch the store it may be using.
        SingleInstanceGuard other(data());
        QVERIFY(other.tryAcquire());
        QVERIFY(QFile::exists(data() + u"/wagetrove.lock"_s));
        QCOMPARE(cli(fileArguments(path(u"b.251"_s))).status, 3);
        QVERIFY(!QFile::exists(path(u"b.251"_s)));
        // Results that never reach their reader are no success.
        QProcess full;
        full.setStandardOutputFile(u"/dev/full"_s);
        program().start(full, args("--version"));
        QCOMPARE(test::CliProcess::finished(full).status, 3);
    }

    // The Web Connector's password is read from the keyboard, kept only as a record and shown nowhere; the
    // conversation itself is the transport's own test.
    void webConnector_passwordKeptNowhere()
    {
        const QString password = u"correct horse"_s;
        const Run set =
            cli(args("options --qbwc-user bookkeeper --qbwc-password"), u"2025-04-15"_s, password.toUtf8() + "\r\n");
        QCOMPARE(set.status, 0);
        QVERIFY(set.out.contains(u"QBWCUserName=bookkeeper\nQBWCPassword=set\n"_s));
        const Run qwc = cli(args("qwc --url http://localhost:8089/qbwc --out") << path(u"wagetrove.qwc"_s));
        QCOMPARE(qwc.status, 0);
        const QByteArray file = bytesOf(path(u"wagetrove.qwc"_s));
        QVERIFY(file.contains("<UserName>bookkeeper</UserName>"));
        for (const QString& text : {QString::fromUtf8(bytesOf(data() + u"/suta.ini"_s)), set.out, set.err, qwc.out,
                                    qwc.err, QString::fromUtf8(file)}) {
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
        // A refused answer is not given again: the run would ask forever.
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
        if (company == u"newer"_s) {
            QByteArray json = bytesOf(test::programFolder() + u"/demo-company.json"_s);
            json.replace("\"majorVersion\": \"34\"", "\"majorVersion\": \"36\"");
            QVERIFY(test::writeBytes(path(u"newer.json"_s), json));
            connection = u"simulated:"_s + path(u"newer.json"_s);
        } else if (company == u"missing"_s) {
            connection = u"replay:"_s + path(u"nothing.xml"_s);
        }
        const Run run = cli(quickBooksArguments(state, connection, path(u"a.out"_s)) + extra << u"--json"_s);
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(!QFile::exists(path(u"a.out"_s)));
    }

    void outputOverWhatTheRunReads_refused()
    {
        fillSubmitter();
        const QByteArray workbook = bytesOf(sample());
        QCOMPARE(cli(fileArguments(sample())).status, 2);
        QCOMPARE(bytesOf(sample()), workbook);
        QCOMPARE(cli(fileArguments(data() + u"/Suta.mdb"_s)).status, 2);
        QVERIFY(cli({u"submitter"_s}).out.contains(u"EIN: 98-7654321\n"_s));
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
        QTest::newRow("no transmitter window") << args("file --state CT --wages=w.xlsx --out=/x/y --contact-name=X");
        QTest::newRow("quarter 5") << args("file --state=4 --quarter=5 --wages=w.xlsx --out=/nonexistent/x");
        QTest::newRow("quarter and dates")
            << args("file --state=Illinois --quarter=1 --from=01/01/2025 --to=03/31/2025 --wages=w.xlsx --out=/x/y");
        QTest::newRow("no output") << args("file --state=IL --wages=w.xlsx");
        QTest::newRow("neither wages nor QuickBooks") << args("file --state=IL --out=/nonexistent/x");
        QTest::newRow("unknown wage mode") << args("file --state=IL --quickbooks=replay:x --wage-mode=net --out=/x/y");
        QTest::newRow("two outputs") << args("file --state=IL --wages=w.xlsx --out=/nonexistent/x --out-dir=/tmp");
        QTest::newRow("rate for PFML") << args("file --state=MA-PFML --wages=w.xlsx --out=/nonexistent/x --rate=1");
        QTest::newRow("bad dates") << args(
            "file --state=IL --from=13/45/2025 --to=03/31/2025 --wages=w.xlsx --out=/x/y");
    }
    void usageErrors_exitTwo()
    {
        QFETCH(QStringList, arguments);
        const Run run = cli(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(u"Try 'wagetrove-cli --help'."_s), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
    }

    void options_writtenAsTheSubmitterWindowWrites()
    {
        Run run = cli(args("options --standalone-noqb y --remit-id 123456 --wage-limit 7000"));
        QCOMPARE(run.status, 0);
        const IniFile ini(data() + u"/suta.ini"_s);
        const auto values = [&ini](const char* keys) {
            QStringList read;
            for (const QString& key : QString::fromLatin1(keys).split(u' ')) {
                read << ini.read(u"Options"_s, key);
            }
            return read.join(u' ');
        };
        QCOMPARE(values("StandAlonenoqb StandAlone UseEmployer RemitID WageLimit"), u"Y N N 123456 7000"_s);
        run = cli(args("options --wage-limit lots"));
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(u"Wagetrove: Invalid Wage Limit."_s));
        run = cli({u"options"_s});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains(u"WageLimit=7000\nRemitID=123456\nUseEmployer=N\n"_s), qPrintable(run.out));
        QVERIFY(run.out.contains(u"StandAlonenoqb=Y\n"_s));
        QCOMPARE(cli(args("options --quickbooks replay:QBData.xml")).status, 0);
        QCOMPARE(values("QuickBooks StandAlonenoqb"), u"replay:QBData.xml Y"_s);
    }

    void helpAndVersion_printedWithoutTouchingTheDataFolder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("printed");
        QTest::newRow("version") << args("--version") << u"wagetrove-cli 1.0\n"_s;
        QTest::newRow("version before a command") << args("--version states") << u"wagetrove-cli 1.0\n"_s;
        QTest::newRow("help") << args("--help") << u"Exit status"_s;
        QTest::newRow("a command's help") << args("file --help") << u"--hours-for-zero "_s;
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
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
