#include "app/datafolder.h"
#include "app/mainwindowstate.h"
#include "app/session.h"
#include "app/startup.h"
#include "store/wagestore.h"
#include "tests/support/filebytes.h"
#include "tests/support/startedprogram.h"
#include "tests/support/storefixture.h"
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
using namespace Qt::StringLiterals;

namespace {

using test::bytesOf;
using test::writeBytes;

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
    StartupResult start(QDate today = QDate(2025, 5, 15)) { return startProgram(today); }

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
        QVERIFY(!makersFolder || QDir().mkpath(documents() + u"/Tarrow Software"_s));
        QCOMPARE(start(), StartupResult::Ready);
        QCOMPARE(m_dialogs.calls().size(), 0);
        QCOMPARE(m_session->DataFolder + u'|' + m_session->SettingsFile + u'|' + m_session->AppFolder,
                 documents() + u"/Tarrow Software/Wagetrove/|"_s + dataFolder() + u"suta.ini|"_s +
                     test::programFolder() + u'/');
        for (const QString& name : {WageStore::kFileName, kPfmlTemplateName, kSampleWagesName}) {
            QVERIFY2(QFile::exists(dataFolder() + name), qPrintable(name));
        }
        QCOMPARE(u"%1 %2"_s.arg(modeOf(dataFolder()), 0, 8).arg(modeOf(store()), 0, 8), u"700 600"_s);
        QCOMPARE(m_state.caption + u'|' + m_state.command1Caption + u'|' + m_session->QBMaxVersion,
                 u"Wagetrove 1.0|Get Payroll Data|35"_s);
        QVERIFY(!m_session->StartingUp && !m_session->Store.isOpen() && m_dialogs.busyDepth() == 0);
    }

    void deletedStore_isCopiedAgainAndWorkbooksReplaced_otherFilesUntouched()
    {
        QCOMPARE(start(), StartupResult::Ready);
        QVERIFY(QFile::remove(store()));
        QVERIFY(writeBytes(dataFolder() + kPfmlTemplateName, "edited by the user"));
        QVERIFY(writeBytes(dataFolder() + u"my-wages.xlsx"_s, "mine"));
        QVERIFY(writeSettings("[Options]\r\nLastState=3\r\n"));
        m_session->Store.close();
        QCOMPARE(start(), StartupResult::Ready);
        QVERIFY(QFile::exists(store()));
        QCOMPARE(bytesOf(dataFolder() + kPfmlTemplateName), bytesOf(test::programFolder() + u"/PFML.xlsx"_s));
        QCOMPARE(bytesOf(dataFolder() + u"my-wages.xlsx"_s), QByteArray("mine"));
        QCOMPARE(bytesOf(dataFolder() + u"suta.ini"_s), QByteArray("[Options]\r\nLastState=3\r\n"));
    }

    void existingStore_isKeptAndEmptiedOfTheLastRun()
    {
        QCOMPARE(start(), StartupResult::Ready);
        {
            WageStore wages;
            wages.open(store());
            QSqlQuery query(wages.database());
            for (const QString& statement : {u"INSERT INTO Employee (Name, GrossWages) VALUES ('A', 10000)"_s,
                                             u"INSERT INTO Employer (Name) VALUES ('B')"_s,
                                             u"INSERT INTO StateIDTable (EIN, State) VALUES ('12-3456789', 'TX')"_s,
                                             u"UPDATE Submitter SET Name = 'KEEP ME'"_s}) {
                QVERIFY2(query.exec(statement), qPrintable(statement));
            }
        }
        // A killed wage listing's pages go; the listing the user last opened stays.
        QVERIFY(writeBytes(dataFolder() + u"FilledInWL3.pdf"_s, "page 3"));
        QVERIFY(writeBytes(dataFolder() + u"FilledInWL.pdf"_s, "the listing"));
        QCOMPARE(start(), StartupResult::Ready);
        QVERIFY(!QFile::exists(dataFolder() + u"FilledInWL3.pdf"_s));
        QCOMPARE(bytesOf(dataFolder() + u"FilledInWL.pdf"_s), QByteArray("the listing"));
        QCOMPARE(test::storeRows(dataFolder(),
                                 u"SELECT (SELECT count(*) FROM Employee) || (SELECT count(*) FROM "
                                 "Employer) || (SELECT count(*) FROM StateIDTable), Name FROM Submitter"_s),
                 u"001|KEEP ME"_s);
        QVERIFY(!QFile::exists(dataFolder() + WageStore::kCompactFileName));
    }

    // A compaction that cannot be made costs only space: the program says why and goes on.
    void failedCompaction_isShownAndTheProgramGoesOn()
    {
        QCOMPARE(start(), StartupResult::Ready);
        QVERIFY(QDir().mkpath(dataFolder() + WageStore::kCompactFileName + u"/in the way"_s));
        QCOMPARE(start(), StartupResult::Ready);
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY2(m_dialogs.messages().first().contains(u"could not be removed"_s), qPrintable(m_dialogs.messages()[0]));
    }

    // Another program's lock stops the start-up when it reads the store, or when it writes to it.
    void lockedStore_isCalledInUseAndKept_data()
    {
        QTest::addColumn<QStringList>("statements"); // run by another connection, which keeps its lock
        QTest::newRow("reading") << QStringList{u"BEGIN"_s, u"SELECT count(*) FROM Employee"_s};
        QTest::newRow("about to write") << QStringList{u"BEGIN IMMEDIATE"_s};
        QTest::newRow("exclusive") << QStringList{u"BEGIN EXCLUSIVE"_s};
    }
    void lockedStore_isCalledInUseAndKept()
    {
        QFETCH(QStringList, statements);
        QCOMPARE(start(), StartupResult::Ready);
        m_session.reset();
        const QByteArray before = bytesOf(store());
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other program"_s);
            other.setDatabaseName(store());
            QVERIFY(other.open());
            QSqlQuery query(other);
            for (const QString& statement : statements) {
                QVERIFY2(query.exec(statement), qPrintable(statement));
            }
            query.finish();
            m_dialogs.clear();
            QCOMPARE(start(), StartupResult::Failed);
            QCOMPARE(m_dialogs.messages(),
                     QStringList{u"The wage store %1 is in use by another program. Close it and try again."_s.arg(
                         QDir::toNativeSeparators(store()))});
            query = QSqlQuery();
            other.close();
        }
        QSqlDatabase::removeDatabase(u"other program"_s);
        QCOMPARE(bytesOf(store()), before);
        m_dialogs.clear();
        QCOMPARE(start(), StartupResult::Ready);
    }

    void missingTemplate_isReported()
    {
        QTemporaryDir appFolder;
        QVERIFY(QFile::copy(test::programFolder() + u"/Suta.mdb"_s, appFolder.filePath(u"Suta.mdb"_s)));
        QCOMPARE(startProgram(QDate(2025, 5, 15), appFolder.path()), StartupResult::Failed);
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY(m_dialogs.messages().first().contains(kPfmlTemplateName));
    }

    // A lock file left by a killed run, or by one that has ended, is taken over; one still held means another copy
    // runs, and the start-up ends silently without touching the data folder.
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
        const QString lock = dataFolder() + u"wagetrove.lock"_s;
        QVERIFY(writeBytes(lock, contents));
        const int descriptor = ::open(QFile::encodeName(lock).constData(), O_RDWR);
        QVERIFY(descriptor >= 0);
        QVERIFY(!held || ::flock(descriptor, LOCK_EX | LOCK_NB) == 0);
        QCOMPARE(start(), result);
        ::close(descriptor);
        if (held) {
            QVERIFY(m_dialogs.calls().isEmpty());
            QCOMPARE(QDir(dataFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{u"wagetrove.lock"_s});
        }
    }

    // The quarter checked at start-up is the last completed one, and Get Payroll Data waits for it alone.
    void defaultQuarter_isTheLastCompletedOne_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("quarter"); // the checked quarter, the session's, and the period
        QTest::newRow("15 February 2025") << QDate(2025, 2, 15) << u"4 4 10/01/2024-12/31/2024"_s;
        QTest::newRow("1 October 2025") << QDate(2025, 10, 1) << u"3 3 07/01/2025-09/30/2025"_s;
    }
    void defaultQuarter_isTheLastCompletedOne()
    {
        QFETCH(QDate, today);
        QFETCH(QString, quarter);
        QCOMPARE(start(today), StartupResult::Ready);
        QCOMPARE(u"%1 %2 %3-%4"_s.arg(m_state.checkedQuarter).arg(m_session->Quarter, m_state.fromText, m_state.toText),
                 quarter);
        QVERIFY(m_state.getPayrollDataEnabled && !m_state.resultsEnabled);
    }

    // The last state chosen comes back from 0 to 12, the list's last; the standalone modes load a workbook.
    void settings_stateAndCaption_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("chosen"); // list position, state and the first command's caption
        QTest::newRow("12 is Washington") << QByteArray("LastState=12") << u"12 WA Get Payroll Data"_s;
        QTest::newRow("missing") << QByteArray() << u"0 CT Get Payroll Data"_s;
        QTest::newRow("13 is outside") << QByteArray("LastState=13") << u"0 CT Get Payroll Data"_s;
        QTest::newRow("negative") << QByteArray("LastState=-1") << u"0 CT Get Payroll Data"_s;
        QTest::newRow("not a number") << QByteArray("LastState=Texas") << u"0 CT Get Payroll Data"_s;
        QTest::newRow("StandAlone") << QByteArray("StandAlone=Y\nLastState=11") << u"11 TX Load Wages"_s;
        QTest::newRow("StandAlonenoqb") << QByteArray("StandAlonenoqb=Y") << u"0 CT Load Wages"_s;
    }
    void settings_stateAndCaption()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, chosen);
        QVERIFY(writeSettings("[Options]\n" + ini + "\n"));
        QCOMPARE(start(), StartupResult::Ready);
        QCOMPARE(u"%1 %2 %3"_s.arg(m_session->StatePosition).arg(m_session->StateAbbrev, m_state.command1Caption),
                 chosen);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
