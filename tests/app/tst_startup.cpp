#include "app/datafolder.h"
#include "app/mainwindowstate.h"
#include "app/session.h"
#include "app/startup.h"
#include "store/wagestore.h"
#include "tests/support/filebytes.h"
#include "tests/support/startedprogram.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace wagetrove;

namespace {

using test::bytesOf;
using test::writeBytes;

QString scalar(QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    return query.exec(statement) && query.next() ? query.value(0).toString() : QStringLiteral("?");
}

int modeOf(const QString& path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

} // namespace

class TestStartup : public QObject, protected test::StartedProgram
{
    Q_OBJECT

private:
    QString documents() const { return m_documents->path(); }
    QString store() const { return dataFolder() + WageStore::kFileName; }

    StartupResult start(QDate today = QDate(2025, 5, 15), const QString& appFolder = test::programFolder())
    {
        return startProgram(today, appFolder);
    }

private Q_SLOTS:
    void init() { resetProgram(); }

    // The data folder and its store are the user's alone.
    void firstRun_createsAPrivateFolderAndCopiesTemplates_data()
    {
        QTest::addColumn<bool>("makersFolder");
        QTest::newRow("nothing there") << false;
        QTest::newRow("the maker's folder without the product's") << true;
    }
    void firstRun_createsAPrivateFolderAndCopiesTemplates()
    {
        QFETCH(bool, makersFolder);
        QVERIFY(!makersFolder || QDir().mkpath(documents() + QStringLiteral("/Tarrow Software")));
        QCOMPARE(start(), StartupResult::Ready);
        QCOMPARE(m_dialogs.calls().size(), 0);
        QCOMPARE(m_session->DataFolder, documents() + QStringLiteral("/Tarrow Software/Wagetrove/"));
        QCOMPARE(m_session->SettingsFile, dataFolder() + QStringLiteral("suta.ini"));
        QCOMPARE(m_session->AppFolder, test::programFolder() + QLatin1Char('/'));
        for (const QString& name : {WageStore::kFileName, kPfmlTemplateName, kSampleWagesName}) {
            QVERIFY2(QFile::exists(dataFolder() + name), qPrintable(name));
        }
        QCOMPARE(modeOf(dataFolder()), 0700);
        QCOMPARE(modeOf(store()), 0600);
        QCOMPARE(m_state.caption + QLatin1Char('|') + m_state.command1Caption,
                 QStringLiteral("Wagetrove 1.0|Get Payroll Data"));
        QCOMPARE(m_session->QBMaxVersion, QStringLiteral("35"));
        QVERIFY(!m_session->StartingUp);
        QVERIFY(!m_session->Store.isOpen());
        QCOMPARE(m_dialogs.busyDepth(), 0);
    }

    void deletedStore_isCopiedAgainAndWorkbooksReplaced_otherFilesUntouched()
    {
        QCOMPARE(start(), StartupResult::Ready);
        QVERIFY(QFile::remove(store()));
        QVERIFY(writeBytes(dataFolder() + kPfmlTemplateName, "edited by the user"));
        QVERIFY(writeBytes(dataFolder() + QStringLiteral("my-wages.xlsx"), "mine"));
        QVERIFY(writeSettings("[Options]\r\nLastState=3\r\n"));

        m_session->Store.close();
        QCOMPARE(start(), StartupResult::Ready);
        QVERIFY(QFile::exists(store()));
        QCOMPARE(bytesOf(dataFolder() + kPfmlTemplateName),
                 bytesOf(test::programFolder() + QStringLiteral("/PFML.xlsx")));
        QCOMPARE(bytesOf(dataFolder() + QStringLiteral("my-wages.xlsx")), QByteArray("mine"));
        QCOMPARE(bytesOf(dataFolder() + QStringLiteral("suta.ini")), QByteArray("[Options]\r\nLastState=3\r\n"));
    }

    void existingStore_isKeptAndEmptiedOfTheLastRun()
    {
        QCOMPARE(start(), StartupResult::Ready);
        {
            WageStore wages;
            wages.open(store());
            QSqlQuery query(wages.database());
            QVERIFY(query.exec(QStringLiteral("INSERT INTO Employee (Name, GrossWages) VALUES ('A', 10000)")));
            QVERIFY(query.exec(QStringLiteral("INSERT INTO Employer (Name) VALUES ('B')")));
            QVERIFY(query.exec(QStringLiteral("INSERT INTO StateIDTable (EIN, State) VALUES ('12-3456789', 'TX')")));
            QVERIFY(query.exec(QStringLiteral("UPDATE Submitter SET Name = 'KEEP ME'")));
        }
        // A killed wage listing's pages go; the listing the user last opened stays.
        QVERIFY(writeBytes(dataFolder() + QStringLiteral("FilledInWL3.pdf"), "page 3"));
        QVERIFY(writeBytes(dataFolder() + QStringLiteral("FilledInWL.pdf"), "the listing"));
        QCOMPARE(start(), StartupResult::Ready);
        QVERIFY(!QFile::exists(dataFolder() + QStringLiteral("FilledInWL3.pdf")));
        QCOMPARE(bytesOf(dataFolder() + QStringLiteral("FilledInWL.pdf")), QByteArray("the listing"));
        WageStore wages;
        wages.open(store());
        QCOMPARE(scalar(wages.database(), QStringLiteral("SELECT (SELECT count(*) FROM Employee) || (SELECT count(*) "
                                                         "FROM Employer) || (SELECT count(*) FROM StateIDTable)")),
                 QStringLiteral("001"));
        QCOMPARE(scalar(wages.database(), QStringLiteral("SELECT Name FROM Submitter")), QStringLiteral("KEEP ME"));
        QVERIFY(!QFile::exists(dataFolder() + WageStore::kCompactFileName));
    }

    // A compaction that cannot be made costs only space: the program says why and goes on.
    void failedCompaction_isShownAndTheProgramGoesOn()
    {
        QCOMPARE(start(), StartupResult::Ready);
        QVERIFY(QDir().mkpath(dataFolder() + WageStore::kCompactFileName + QStringLiteral("/in the way")));
        QCOMPARE(start(), StartupResult::Ready);
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY2(m_dialogs.messages().first().contains(QStringLiteral("could not be removed")),
                 qPrintable(m_dialogs.messages().first()));
    }

    // Another program's lock stops the start-up when it reads the store, or when it writes to it.
    void lockedStore_isCalledInUseAndKept_data()
    {
        QTest::addColumn<QStringList>("statements"); // run by another connection, which keeps its lock
        QTest::newRow("reading") << QStringList{QStringLiteral("BEGIN"),
                                                QStringLiteral("SELECT count(*) FROM Employee")};
        QTest::newRow("about to write") << QStringList{QStringLiteral("BEGIN IMMEDIATE")};
        QTest::newRow("exclusive") << QStringList{QStringLiteral("BEGIN EXCLUSIVE")};
    }
    void lockedStore_isCalledInUseAndKept()
    {
        QFETCH(QStringList, statements);
        QCOMPARE(start(), StartupResult::Ready);
        m_session.reset();
        const QByteArray before = bytesOf(store());
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other program"));
            other.setDatabaseName(store());
            QVERIFY(other.open());
            QSqlQuery query(other);
            for (const QString& statement : statements) {
                QVERIFY2(query.exec(statement), qPrintable(statement));
            }
            query.finish();
            m_dialogs.clear();
            QCOMPARE(start(), StartupResult::Failed);
            QCOMPARE(
                m_dialogs.messages(),
                QStringList{QStringLiteral("The wage store %1 is in use by another program. Close it and try again.")
                                .arg(QDir::toNativeSeparators(store()))});
            query = QSqlQuery();
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other program"));
        QCOMPARE(bytesOf(store()), before);
        m_dialogs.clear();
        QCOMPARE(start(), StartupResult::Ready);
    }

    void missingTemplate_isReported()
    {
        QTemporaryDir appFolder;
        QVERIFY(QFile::copy(test::programFolder() + QStringLiteral("/Suta.mdb"),
                            appFolder.filePath(QStringLiteral("Suta.mdb"))));
        QCOMPARE(start(QDate(2025, 5, 15), appFolder.path()), StartupResult::Failed);
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY(m_dialogs.messages().first().contains(kPfmlTemplateName));
    }

    void givenDataFolder_isSetUpAsItStands()
    {
        const QString folder = documents() + QStringLiteral("/quarter folder");
        StartupEnvironment environment = test::startupEnvironment(documents());
        environment.dataFolder = folder;
        SingleInstanceGuard guard(folder);
        QCOMPARE(runStartup(*m_session, m_state, m_dialogs, environment, guard), StartupResult::Ready);
        QCOMPARE(m_session->DataFolder, folder + QLatin1Char('/'));
        QVERIFY(QFile::exists(folder + QStringLiteral("/Suta.mdb")));
        QVERIFY(!QFile::exists(dataFolder()));
    }

    void secondCopy_endsSilently()
    {
        SingleInstanceGuard running(dataFolder());
        QVERIFY(running.tryAcquire());
        QCOMPARE(start(), StartupResult::AlreadyRunning);
        QVERIFY(m_dialogs.calls().isEmpty());
        // The lock lives in the data folder it guards; nothing else is there.
        QCOMPARE(QDir(dataFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("wagetrove.lock")});
    }

    void leftLockFile_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("held"); // by a live lock on the file
        QTest::addColumn<StartupResult>("result");
        QTest::newRow("killed while writing it") << QByteArray() << false << StartupResult::Ready;
        QTest::newRow("being written") << QByteArray() << true << StartupResult::AlreadyRunning;
        QTest::newRow("of a process that has ended")
            << QByteArray("2147483646\nwagetrove-cli\n\n") << false << StartupResult::Ready;
    }
    void leftLockFile()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, held);
        QFETCH(StartupResult, result);
        QVERIFY(QDir().mkpath(dataFolder()));
        const QString lock = dataFolder() + QStringLiteral("wagetrove.lock");
        QVERIFY(writeBytes(lock, contents));
        const int descriptor = ::open(QFile::encodeName(lock).constData(), O_RDWR);
        QVERIFY(descriptor >= 0);
        QVERIFY(!held || ::flock(descriptor, LOCK_EX | LOCK_NB) == 0);
        QCOMPARE(start(), result);
        ::close(descriptor);
    }

    void defaultQuarter_isTheLastCompletedOne_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("quarter");
        QTest::addColumn<QString>("period");
        QTest::newRow("15 February 2025") << QDate(2025, 2, 15) << 4 << QStringLiteral("10/01/2024-12/31/2024");
        QTest::newRow("15 May 2025") << QDate(2025, 5, 15) << 1 << QStringLiteral("01/01/2025-03/31/2025");
        QTest::newRow("1 October 2025") << QDate(2025, 10, 1) << 3 << QStringLiteral("07/01/2025-09/30/2025");
    }

    void defaultQuarter_isTheLastCompletedOne()
    {
        QFETCH(QDate, today);
        QFETCH(int, quarter);
        QFETCH(QString, period);
        QCOMPARE(start(today), StartupResult::Ready);
        QCOMPARE(m_state.checkedQuarter, quarter);
        QCOMPARE(m_session->Quarter, QString::number(quarter));
        QCOMPARE(m_state.fromText + QLatin1Char('-') + m_state.toText, period);
        QVERIFY(m_state.getPayrollDataEnabled);
        QVERIFY(!m_state.resultsEnabled);
    }

    // The last state chosen comes back from 0 to 12, the list's last; the standalone modes load a workbook.
    void settings_stateAndCaption_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("chosen"); // list position, state and the first command's caption
        QTest::newRow("12 is Washington") << QByteArray("LastState=12") << QStringLiteral("12 WA Get Payroll Data");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("0 CT Get Payroll Data");
        QTest::newRow("13 is outside") << QByteArray("LastState=13") << QStringLiteral("0 CT Get Payroll Data");
        QTest::newRow("negative") << QByteArray("LastState=-1") << QStringLiteral("0 CT Get Payroll Data");
        QTest::newRow("not a number") << QByteArray("LastState=Texas") << QStringLiteral("0 CT Get Payroll Data");
        QTest::newRow("StandAlone") << QByteArray("StandAlone=Y\nLastState=11") << QStringLiteral("11 TX Load Wages");
        QTest::newRow("StandAlonenoqb") << QByteArray("StandAlonenoqb=Y") << QStringLiteral("0 CT Load Wages");
        QTest::newRow("QuickBooks") << QByteArray("StandAlone=N") << QStringLiteral("0 CT Get Payroll Data");
    }

    void settings_stateAndCaption()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, chosen);
        QVERIFY(writeSettings("[Options]\n" + ini + "\n"));
        QCOMPARE(start(), StartupResult::Ready);
        QCOMPARE(QStringLiteral("%1 %2 %3")
                     .arg(m_session->StatePosition)
                     .arg(m_session->StateAbbrev, m_state.command1Caption),
                 chosen);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
