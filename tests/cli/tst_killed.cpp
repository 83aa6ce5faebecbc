// Kills wagetrove-cli with SIGKILL at points spread over whole runs (start-up and compaction, an import, a
// QuickBooks load and each kind of file) and checks after every kill that the wage store opens whole and holds
// one complete state, that the output holds the old file or the new one, that nothing but the store's own
// recovery files is left, and that the next run succeeds.
#include "tests/support/cliprocess.h"
#include "tests/support/filebytes.h"
#include "tests/support/generatedpayroll.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

using test::bytesOf;

constexpr int kPointsPerRun = 24;

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

/// What the store holds, read as the next run would open it: a hot journal is rolled back first. Every Employee
/// and Employer row, in order, is condensed to a digest; the Submitter row is given as it stands.
QString storeState(const QString& path)
{
    QString state;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"killed"_s);
        database.setDatabaseName(path);
        if (!database.open()) {
            return u"unopenable: "_s + database.lastError().text();
        }
        QCryptographicHash rows(QCryptographicHash::Sha256);
        int count = 0;
        QSqlQuery query(database);
        for (const QString& table : {u"Employee"_s, u"Employer"_s}) {
            for (query.exec(u"SELECT * FROM %1 ORDER BY rowid"_s.arg(table)); query.next();) {
                count += table == u"Employee"_s ? 1 : 0;
                for (int column = 0; column < query.record().count(); ++column) {
                    rows.addData(query.value(column).toString().toUtf8() + '\t');
                }
            }
        }
        state = u"%1|%2|"_s.arg(count).arg(QString::fromLatin1(rows.result().toHex().left(16)));
        for (const QString& statement : {u"PRAGMA integrity_check"_s, u"SELECT EIN || '|' || Name FROM Submitter"_s}) {
            state += query.exec(statement) && query.next() ? query.value(0).toString() + u'|' : u"?|"_s;
        }
        database.close();
    }
    QSqlDatabase::removeDatabase(u"killed"_s);
    return state;
}

} // namespace

class TestKilled : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_kills = 0;
    int m_row = 0;
    int m_scenarios = 0; // scenarios run to their end

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString data() const { return path(u"data"_s); }
    QString outFolder() const { return path(u"out%1"_s.arg(m_row)); }
    test::CliProcess program() const { return {QStringLiteral(WAGETROVE_CLI), data(), path(u"documents"_s)}; }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // A wage listing takes far longer per employee than a file.
        for (const auto& [name, employees] :
             {std::pair{"a", 1500}, std::pair{"b", 1650}, std::pair{"a-small", 200}, std::pair{"b-small", 230}}) {
            QVERIFY(test::writeGeneratedWorkbook(path(u"%1.xlsx"_s.arg(QLatin1String(name))), employees));
        }
        QCOMPARE(program().run(test::CliProcess::submitterArguments()).status, 0);
        // Two QuickBooks answers, saved as the support file of runs against simulated companies.
        for (const auto& [name, employees] : {std::pair{"a", 500}, std::pair{"b", 550}}) {
            QVERIFY(test::writeBytes(path(u"company.json"_s), test::generatedCompany(employees)));
            const test::CliRun run =
                program().run(test::CliProcess::quarterFile(u"IL"_s, path(u"scratch.txt"_s))
                              << u"--quickbooks"_s << u"simulated:"_s + path(u"company.json"_s) << u"--support-file"_s);
            QVERIFY2(run.status == 0, qPrintable(run.err));
            QVERIFY(QFile::rename(data() + u"/QBData.xml"_s, path(u"%1.qbxml"_s.arg(QLatin1String(name)))));
        }
    }

    void cleanupTestCase()
    {
        qInfo("%d runs killed in all", m_kills);
        QVERIFY(m_scenarios < 5 || m_kills >= 80);
    }

    void killedAnywhere_leavesAWholeState_data()
    {
        // A command with %1 for its input ("a" or "b") and the output it writes; the Submitter command writes none
        // (it is killed in its start-up and compaction, and each following run imports and files again).
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("output");
        const auto row = [](const char* name, const char* command, const char* output) {
            QTest::newRow(name) << QString::fromLatin1(command).split(u' ') << QString::fromLatin1(output);
        };
        // An import is killed in every command but the first; the fixed-width file is written after the load.
        row("start-up and compaction after an import", "submitter", "il.txt");
        row("QuickBooks load and fixed-width file", "file --state IL --quickbooks replay:%1.qbxml", "il.txt");
        row("CSV file", "file --state WA --wages %1.xlsx --state-id 123456789 --hours-for-zero 520", "wa.csv");
        row("wage listing PDF", "wage-listing --state IL --wages %1-small.xlsx", "listing.pdf");
        row("PFML workbook", "file --state MA-PFML --wages %1.xlsx", "pfml.xlsx");
    }
    void killedAnywhere_leavesAWholeState()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, output);
        const bool writes = command.first() != QLatin1String("submitter");
        ++m_row;
        QVERIFY(QDir().mkpath(outFolder()));
        const QString out = outFolder() + QLatin1Char('/') + output;
        const QString store = data() + u"/Suta.mdb"_s;
        // The run after each kill: the command itself, or after the Submitter command an import and a file.
        const QStringList next = writes ? command : u"file --state IL --wages %1.xlsx"_s.split(u' ');
        const auto commandFor = [this, &out](QStringList arguments, const QString& input) {
            for (QString& argument : arguments) {
                argument.replace(QLatin1String("%1"), path(input));
            }
            if (arguments.first() != QLatin1String("submitter")) {
                arguments << u"--quarter"_s << u"1"_s << u"--year"_s << u"2025"_s << u"--out"_s << out;
            }
            return arguments;
        };
        // A whole run: its failure, or nothing; `took` is set to its time when it runs the killed command.
        qint64 took = 0;
        const auto fullRun = [&](const QStringList& arguments, const QString& input) {
            QElapsedTimer timer;
            timer.start();
            const test::CliRun run = program().run(commandFor(arguments, input));
            if (arguments == command) {
                took = timer.elapsed();
            }
            return run.status == 0 ? QString() : run.err;
        };

        // The whole runs: each input's file and store, the data folder's files, and how long a run takes.
        QHash<QString, QByteArray> bytes;
        QHash<QString, QString> states;
        QHash<QString, QString> loaded;
        for (const QString& input : {u"a"_s, u"b"_s}) {
            const QString failure = fullRun(next, input);
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            bytes[input] = bytesOf(out);
            states[input] = storeState(store);
            // Answering "Enter Total Hours" is a step of its own after the load: the store as the load left it
            // is whole too.
            const qsizetype hours = command.indexOf(u"--hours-for-zero"_s);
            if (hours >= 0) {
                QStringList unanswered = command;
                unanswered.remove(hours, 2);
                QCOMPARE(program().run(commandFor(unanswered, input)).status, 2);
                loaded[input] = storeState(store);
                QVERIFY(fullRun(command, input).isEmpty());
            }
        }
        QVERIFY(bytes[u"a"_s] != bytes[u"b"_s]);
        // The store as every start leaves it, with the tables of the last run emptied.
        QVERIFY(fullRun({u"submitter"_s}, {}).isEmpty());
        const QString emptied = storeState(store);
        QVERIFY(fullRun(next, u"b"_s).isEmpty());
        const QStringList dataFiles = entries(data());

        QString before = u"b"_s;
        int kills = 0;
        for (int point = 0; point < kPointsPerRun; ++point) {
            const QString input = before == QLatin1String("a") ? u"b"_s : u"a"_s;
            // Spread over the last whole run's time, which the machine's load changes from run to run.
            const int delay = int(took * 0.9 * (point + 0.5) / kPointsPerRun);
            QProcess process;
            QElapsedTimer timer;
            timer.start();
            program().start(process, commandFor(command, input));
            if (process.waitForFinished(delay)) {
                took = timer.elapsed(); // a faster run than the last: the later points follow it
            } else {
                process.kill();
                QVERIFY(process.waitForFinished(10000));
                kills += process.exitStatus() == QProcess::CrashExit ? 1 : 0;
            }
            const QString where = u"killed after %1 ms of %2 ms"_s.arg(delay).arg(took);

            for (const QString& name : entries(data())) {
                // The store's rollback journal, and what the next start removes: the single-run lock, a
                // compaction's copy and its journal, and a wage listing's pages.
                const bool recovery =
                    name == QLatin1String("Suta.mdb-journal") || name.startsWith(QLatin1String("Temp.mdb")) ||
                    name == QLatin1String("wagetrove.lock") || name.startsWith(QLatin1String("FilledInWL"));
                QVERIFY2(dataFiles.contains(name) || recovery, qPrintable(where + u": left "_s + name));
            }
            const QString state = storeState(store);
            QVERIFY2(state == states[before] || state == emptied ||
                         (writes && (state == states[input] || state == loaded.value(input))),
                     qPrintable(where + u": the store holds "_s + state));
            const QByteArray file = bytesOf(out);
            QVERIFY2(file == bytes[before] || (writes && file == bytes[input]),
                     qPrintable(where + u": the output holds %1 other bytes"_s.arg(file.size())));
            for (const QString& name : entries(outFolder())) {
                // Replacing a file whole needs a second name for an instant: the new file is linked there and
                // renamed over the old one. A kill in that instant leaves it, with the old file still whole.
                const bool replacing = name.size() == output.size() + 7 && name.startsWith(output + u'.');
                QVERIFY2(name == output || replacing, qPrintable(where + u": left "_s + name));
            }

            // The next run succeeds, over whatever the killed one left.
            const QString failure = fullRun(next, input);
            QVERIFY2(failure.isEmpty(), qPrintable(where + u", then: "_s + failure));
            QCOMPARE(bytesOf(out), bytes[input]);
            QCOMPARE(storeState(store), states[input]);
            QCOMPARE(entries(data()), dataFiles);
            before = input;
        }
        QVERIFY2(kills >= kPointsPerRun / 2, qPrintable(u"only %1 runs were killed"_s.arg(kills)));
        m_kills += kills;
        m_scenarios += 1;
    }
};

QTEST_GUILESS_MAIN(TestKilled)
#include "tst_killed.moc"
