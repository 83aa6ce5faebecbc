#include "app/session.h"
#include "store/schema.h"
#include "store/sqlutil.h"
#include "store/storeerror.h"
#include "store/wagestore.h"
#include "tests/support/filebytes.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

using test::bytesOf;
using test::writeBytes;

/// The first column of the statement's rows, joined by ","; an error as "error".
QString run(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql)) {
        return u"error"_s;
    }
    QStringList rows;
    while (query.next()) {
        rows << query.value(0).toString();
    }
    return rows.join(QLatin1Char(','));
}

/// The rows of Employee, Employer and StateIDTable: "3/2/1".
QString counts(QSqlDatabase& db)
{
    return run(db, u"SELECT (SELECT count(*) FROM Employee) || '/' || (SELECT count(*) FROM Employer) || '/' || "
                   "(SELECT count(*) FROM StateIDTable)"_s);
}

} // namespace

class TestWageStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_folder;

    QString storePath() const { return m_folder + WageStore::kFileName; }
    QString copyPath() const { return m_folder + WageStore::kCompactFileName; }

    /// A store with two employers, three employees, a state ID row and a filled Submitter row.
    void fillStore()
    {
        WageStore store;
        store.open(storePath());
        QSqlDatabase& db = store.database();
        run(db, u"INSERT INTO Employer (CompanyID, EIN) VALUES (1, '12-3456789'), (2, '98-7654321')"_s);
        run(db, u"INSERT INTO Employee (Name, LastName, GrossWages) VALUES ('ANN B CARTER', 'CARTER', 10000000), "
                "('JOHN Q PUBLIC', 'PUBLIC', 5000000), ('ZOE ADAMS', 'ADAMS', 25000)"_s);
        run(db, u"INSERT INTO StateIDTable (EIN, State, StateID) VALUES ('12-3456789', 'TX', '99')"_s);
        run(db, u"UPDATE Submitter SET Name = 'SUBMITTER LLC'"_s);
    }

    /// The compacted store holds what was filled in and is the only file left.
    void verifyCompacted()
    {
        QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList{WageStore::kFileName});
        WageStore store;
        store.open(storePath());
        QCOMPARE(counts(store.database()), u"3/2/1"_s);
    }

private Q_SLOTS:
    void init()
    {
        m_folder = m_dir.path() + u"/"_s + QString::fromLatin1(QTest::currentTestFunction()) + u"/"_s +
                   QString::fromLatin1(QTest::currentDataTag()) + u"/"_s;
        QVERIFY(QDir().mkpath(m_folder));
        QVERIFY(test::copyEmptyStore(storePath()));
    }

    void deleteZeros_removesExactlyTheRowsWithoutWages_data()
    {
        QTest::addColumn<QString>("values"); // GrossWages, TaxableWages, SWHWages, SWHAmount, TotalHours
        QTest::addColumn<QString>("kept");
        QTest::newRow("all zero") << u"0, 0, 0, 0, 400000"_s << u"0/0/0"_s;
        QTest::newRow("all missing") << u"NULL, NULL, NULL, NULL, NULL"_s << u"0/0/0"_s;
        QTest::newRow("gross only") << u"1, 0, 0, 0, 0"_s << u"1/0/0"_s;
        QTest::newRow("taxable only") << u"0, 100, 0, 0, 0"_s << u"1/0/0"_s;
        QTest::newRow("withholding wages only") << u"NULL, NULL, 5000, NULL, 0"_s << u"1/0/0"_s;
        QTest::newRow("withheld amount only") << u"0, 0, 0, 700, 0"_s << u"1/0/0"_s;
        QTest::newRow("negative correction") << u"-250000, 0, 0, 0, 0"_s << u"1/0/0"_s;
    }
    void deleteZeros_removesExactlyTheRowsWithoutWages()
    {
        QFETCH(QString, values);
        QFETCH(QString, kept);
        WageStore store;
        store.open(storePath());
        run(store.database(),
            u"INSERT INTO Employee (GrossWages, TaxableWages, SWHWages, SWHAmount, TotalHours) VALUES (%1)"_s.arg(
                values));
        store.runStoredQuery(schema::kDeleteZeros);
        QCOMPARE(counts(store.database()), kept);
    }

    // A call's stored queries run together or not at all; opening for a run empties its tables unless merging.
    void openWageStore_emptiesOneRunsTablesUnlessMerging()
    {
        fillStore();
        Session session;
        session.DataFolder = m_folder;
        session.MergeFiles = true;
        OpenWageStore(session);
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 session.Store.runStoredQueries({schema::kDeleteEmployees, u"NoSuchQuery"_s}));
        QCOMPARE(counts(session.Store.database()), u"3/2/1"_s);
        CloseWageStore(session);
        session.MergeFiles = false;
        OpenWageStore(session);
        QCOMPARE(counts(session.Store.database()) + run(session.Store.database(), u"SELECT Name FROM Submitter"_s),
                 u"0/0/1SUBMITTER LLC"_s);
        CloseWageStore(session);
    }

    void runChange_keptOnlyWhenCommitted_data()
    {
        QTest::addColumn<bool>("innerCommitted");
        QTest::addColumn<bool>("runCommitted");
        QTest::addColumn<QString>("employees"); // of the three the store held, plus one added by each change kept
        QTest::newRow("both committed") << true << true << u"5/2/1"_s;
        QTest::newRow("inner undone alone") << false << true << u"4/2/1"_s;
        QTest::newRow("run closed uncommitted") << true << false << u"3/2/1"_s;
    }
    void runChange_keptOnlyWhenCommitted()
    {
        QFETCH(bool, innerCommitted);
        QFETCH(bool, runCommitted);
        QFETCH(QString, employees);
        fillStore();
        auto store = std::make_unique<WageStore>();
        store->open(storePath());
        store->beginRunChange();
        store->beginRunChange();
        run(store->database(), u"INSERT INTO Employee (Name) VALUES ('IN THE RUN')"_s);
        {
            Transaction inner(store->database());
            run(store->database(), u"INSERT INTO Employee (Name) VALUES ('IN A STEP')"_s);
            if (innerCommitted) {
                inner.commit();
            }
        }
        if (runCommitted) {
            store->commitRunChange();
        }
        store = std::make_unique<WageStore>(); // closed
        store->open(storePath());
        QCOMPARE(counts(store->database()), employees);
    }

    void compaction_keepsDataAndLeavesOneStore_data()
    {
        QTest::addColumn<QByteArray>("staleCopy");
        QTest::addColumn<QByteArray>("staleJournal"); // Temp.mdb-journal
        QTest::addColumn<int>("permissions");         // the store's, octal, kept by the compacted store
        QTest::newRow("no Temp.mdb, private") << QByteArray() << QByteArray() << 0600;
        QTest::newRow("stale Temp.mdb, group-readable") << QByteArray("half a store") << QByteArray() << 0640;
        QTest::newRow("stale Temp.mdb and its journal") << QByteArray("half a store") << QByteArray("killed") << 0600;
    }
    void compaction_keepsDataAndLeavesOneStore()
    {
        QFETCH(QByteArray, staleCopy);
        QFETCH(QByteArray, staleJournal);
        QFETCH(int, permissions);
        fillStore();
        QVERIFY((staleCopy.isEmpty() || writeBytes(copyPath(), staleCopy)) &&
                (staleJournal.isEmpty() || writeBytes(copyPath() + u"-journal"_s, staleJournal)));
        QVERIFY(::chmod(QFile::encodeName(storePath()).constData(), mode_t(permissions)) == 0);
        CompactWageStore(m_folder);
        struct stat status = {};
        QVERIFY(::stat(QFile::encodeName(storePath()).constData(), &status) == 0);
        QCOMPARE(int(status.st_mode & 0777), permissions);
        verifyCompacted();
    }

    // A compaction that stops or fails anywhere leaves the store as it was, no copy behind, and the next one
    // succeeds. The store is replaced only by a copy that passed its check.
    void compaction_failure_leavesStoreAsItWas_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("act"); // at that step: stop, spoil the copy, or put a folder where its journal goes
        QTest::addColumn<QString>("message");
        const int removed = int(CompactionStep::StaleCopyRemoved);
        const int written = int(CompactionStep::CopyWritten);
        QTest::newRow("stopped after removing the stale copy") << removed << u"stop"_s << u"simulated crash"_s;
        QTest::newRow("stopped after writing the copy") << written << u"stop"_s << u"simulated crash"_s;
        QTest::newRow("copy not written") << removed << u"block"_s << u"could not be compacted"_s;
        QTest::newRow("copy spoilt") << written << u"spoil"_s << u"The compacted copy of the wage store was unusable"_s;
        QTest::newRow("old copy kept") << -1 << QString()
                                       << u"could not be removed, so the wage store was not compacted"_s;
    }
    void compaction_failure_leavesStoreAsItWas()
    {
        QFETCH(int, step);
        QFETCH(QString, act);
        QFETCH(QString, message);
        fillStore();
        const QString journal = copyPath() + u"-journal"_s;
        QVERIFY(step != -1 || QDir().mkpath(copyPath() + u"/in the way"_s));
        const QByteArray before = bytesOf(storePath());
        try {
            CompactWageStore(m_folder, [&](CompactionStep reached) {
                if (int(reached) != step) {
                    return;
                }
                if (act == u"stop"_s) {
                    throw StoreError(u"simulated crash"_s);
                }
                QVERIFY(act == u"spoil"_s ? writeBytes(copyPath(), "no store") : QDir().mkpath(journal));
            });
            QFAIL("the compaction did not fail");
        } catch (const StoreError& error) {
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        }
        QCOMPARE(bytesOf(storePath()), before);
        QVERIFY(act == u"stop"_s || !QFileInfo(copyPath()).isFile()); // no half-written copy left
        QVERIFY(QDir(copyPath()).removeRecursively() && QDir(journal).removeRecursively());
        CompactWageStore(m_folder);
        verifyCompacted();
    }

    // An unusable store is reported, opened or compacted by no one, and left as it was; a missing one uncreated.
    void unusableStore_isReportedAndNeverChanged_data()
    {
        QTest::addColumn<QString>("statement"); // run on the store; "remove" deletes it; "write" puts `content` there
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("problem");
        const QByteArray none;
        QTest::newRow("no store") << u"remove"_s << none << u"is missing"_s;
        QTest::newRow("not SQLite") << u"write"_s << QByteArray("Standard Jet DB\0 old Access", 28)
                                    << u"it is not a Wagetrove wage store"_s;
        QTest::newRow("empty file") << u"write"_s << none << u"it is not a Wagetrove wage store"_s;
        QTest::newRow("table") << u"DROP TABLE StateIDTable"_s << none << u"the table StateIDTable is missing"_s;
        QTest::newRow("last field") << u"ALTER TABLE Employee DROP COLUMN QuarterEnding"_s << none
                                    << u"the field QuarterEnding of the table Employee is missing"_s;
        QTest::newRow("stored query") << u"DELETE FROM StoredQuery WHERE Name = 'DeleteZeros'"_s << none
                                      << u"the stored query DeleteZeros is missing"_s;
        QTest::newRow("newer schema") << u"PRAGMA user_version = 99"_s << none << u"newer release"_s;
    }
    void unusableStore_isReportedAndNeverChanged()
    {
        QFETCH(QString, statement);
        QFETCH(QByteArray, content);
        QFETCH(QString, problem);
        if (statement == u"remove"_s) {
            QVERIFY(QFile::remove(storePath()));
        } else if (statement == u"write"_s) {
            QVERIFY(writeBytes(storePath(), content));
        } else {
            WageStore store;
            store.open(storePath());
            QCOMPARE(run(store.database(), statement), QString());
        }
        const QByteArray before = bytesOf(storePath());
        const auto found = WageStore::problemWithFile(storePath());
        QVERIFY2(found && found->contains(problem), qPrintable(found.value_or(QString())));
        try {
            WageStore store;
            store.open(storePath());
            QFAIL("the store was opened");
        } catch (const StoreError& error) {
            QVERIFY2(error.message().contains(problem), qPrintable(error.message())); // the open says why too
        }
        QVERIFY_THROWS_EXCEPTION(StoreError, CompactWageStore(m_folder));
        QCOMPARE(bytesOf(storePath()), before);
        QCOMPARE(QFile::exists(storePath()), statement != u"remove"_s);
    }
};

QTEST_GUILESS_MAIN(TestWageStore)
#include "tst_wagestore.moc"
