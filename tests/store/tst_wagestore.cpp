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
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace wagetrove;

namespace {

using test::bytesOf;
using test::writeBytes;

/// The first column of the statement's rows, joined by ","; an error as "error".
QString run(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql)) {
        return QStringLiteral("error");
    }
    QStringList rows;
    while (query.next()) {
        rows << query.value(0).toString();
    }
    return rows.join(QLatin1Char(','));
}

QString count(QSqlDatabase& db, const QString& table)
{
    return run(db, QStringLiteral("SELECT count(*) FROM [%1]").arg(table));
}

/// The rows of Employee, Employer and StateIDTable: "3/2/1".
QString counts(QSqlDatabase& db)
{
    return run(db, QStringLiteral("SELECT (SELECT count(*) FROM Employee) || '/' || (SELECT count(*) FROM Employer) "
                                  "|| '/' || (SELECT count(*) FROM StateIDTable)"));
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
        run(db, QStringLiteral("INSERT INTO Employer (CompanyID, EIN) VALUES (1, '12-3456789'), (2, '98-7654321')"));
        run(db, QStringLiteral("INSERT INTO Employee (Name, LastName, GrossWages) VALUES ('ANN B CARTER', 'CARTER', "
                               "10000000), ('JOHN Q PUBLIC', 'PUBLIC', 5000000), ('ZOE ADAMS', 'ADAMS', 25000)"));
        run(db, QStringLiteral("INSERT INTO StateIDTable (EIN, State, StateID) VALUES ('12-3456789', 'TX', '99')"));
        run(db, QStringLiteral("UPDATE Submitter SET Name = 'SUBMITTER LLC'"));
    }

    /// The compacted store holds what was filled in and is the only file left.
    void verifyCompacted()
    {
        QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList{WageStore::kFileName});
        WageStore store;
        store.open(storePath());
        QCOMPARE(counts(store.database()), QStringLiteral("3/2/1"));
    }

private Q_SLOTS:
    void init()
    {
        m_folder = m_dir.path() + QStringLiteral("/") + QString::fromLatin1(QTest::currentTestFunction()) +
                   QStringLiteral("/") + QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral("/");
        QVERIFY(QDir().mkpath(m_folder));
        QVERIFY(test::copyEmptyStore(storePath()));
    }

    void emptyStore_hasSchemaDefaultsAndIndexes()
    {
        fillStore();
        WageStore store;
        store.open(storePath());
        QSqlDatabase& db = store.database();
        QCOMPARE(run(db, QStringLiteral("PRAGMA user_version")), QString::number(schema::kVersion));
        QCOMPARE(count(db, schema::kSubmitter), QStringLiteral("1"));
        // Field names reach their field in any letter case, the one with a blank included.
        QCOMPARE(run(db, QStringLiteral("SELECT email || EMAIL || EMail FROM Submitter")), QString());
        QVERIFY(db.record(QStringLiteral("StateIDTable")).indexOf(QStringLiteral("county code")) >= 0);
        // Names are looked up without regard to case.
        QCOMPARE(run(db, QStringLiteral("SELECT LastName FROM Employee WHERE Name = 'john q public'")),
                 QStringLiteral("PUBLIC"));
        QCOMPARE(run(db, QStringLiteral("SELECT name || '/' || tbl_name FROM sqlite_master WHERE type = 'index' AND "
                                        "name NOT LIKE 'sqlite_%' ORDER BY name")),
                 QStringLiteral("EIN/StateIDTable,LastName/Employee,Name/Employee"));

        // A new row carries what it needs: zero money and hours, owner "0", no months, empty texts.
        run(db, QStringLiteral("DELETE FROM Employee"));
        run(db, QStringLiteral("INSERT INTO Employee DEFAULT VALUES"));
        QCOMPARE(run(db, QStringLiteral("SELECT GrossWages || TaxableWages || SWHWages || SWHAmount || TotalHours || "
                                        "'|' || Owner || '|' || Month1 || Month2 || Month3 || '|' || Name || "
                                        "UnitCode || StateCode || '|' FROM Employee")),
                 QStringLiteral("00000|0|000||"));
    }

    void deleteZeros_removesExactlyTheRowsWithoutWages_data()
    {
        QTest::addColumn<QString>("values");
        QTest::addColumn<QString>("kept");
        QTest::newRow("all zero") << QStringLiteral("0, 0, 0, 0, 400000") << QStringLiteral("0");
        QTest::newRow("all missing") << QStringLiteral("NULL, NULL, NULL, NULL, NULL") << QStringLiteral("0");
        QTest::newRow("gross only") << QStringLiteral("1, 0, 0, 0, 0") << QStringLiteral("1");
        QTest::newRow("taxable only") << QStringLiteral("0, 100, 0, 0, 0") << QStringLiteral("1");
        QTest::newRow("withholding wages only") << QStringLiteral("NULL, NULL, 5000, NULL, 0") << QStringLiteral("1");
        QTest::newRow("withheld amount only") << QStringLiteral("0, 0, 0, 700, 0") << QStringLiteral("1");
        QTest::newRow("negative correction") << QStringLiteral("-250000, 0, 0, 0, 0") << QStringLiteral("1");
    }
    void deleteZeros_removesExactlyTheRowsWithoutWages()
    {
        QFETCH(QString, values);
        QFETCH(QString, kept);
        WageStore store;
        store.open(storePath());
        run(store.database(), QStringLiteral("INSERT INTO Employee (GrossWages, TaxableWages, SWHWages, SWHAmount, "
                                             "TotalHours) VALUES (%1)")
                                  .arg(values));
        store.runStoredQuery(schema::kDeleteZeros);
        QCOMPARE(count(store.database(), schema::kEmployee), kept);
    }

    void storedQueries_runTogetherOrNotAtAll()
    {
        fillStore();
        WageStore store;
        store.open(storePath());
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 store.runStoredQueries({schema::kDeleteEmployees, QStringLiteral("NoSuchQuery")}));
        QCOMPARE(count(store.database(), schema::kEmployee), QStringLiteral("3"));
    }

    void openWageStore_emptiesOneRunsTablesUnlessMerging()
    {
        fillStore();
        Session session;
        session.DataFolder = m_folder;
        session.MergeFiles = true;
        OpenWageStore(session);
        QCOMPARE(counts(session.Store.database()), QStringLiteral("3/2/1"));
        CloseWageStore(session);
        QVERIFY(!session.Store.isOpen());

        session.MergeFiles = false;
        OpenWageStore(session);
        QCOMPARE(counts(session.Store.database()), QStringLiteral("0/0/1"));
        QCOMPARE(run(session.Store.database(), QStringLiteral("SELECT Name FROM Submitter")),
                 QStringLiteral("SUBMITTER LLC"));
        CloseWageStore(session);
    }

    void openStore_isExclusiveUntilClosed()
    {
        WageStore first;
        first.open(storePath());
        WageStore second;
        try {
            second.open(storePath());
            QFAIL("a second connection opened the store");
        } catch (const StoreError& error) {
            QVERIFY2(error.message().contains(QStringLiteral("in use")), qPrintable(error.message()));
        }
        QVERIFY(!second.isOpen());
        // Not even a plain reader gets in.
        {
            QSqlDatabase reader = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
            reader.setDatabaseName(storePath());
            reader.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
            QVERIFY(reader.open());
            QCOMPARE(count(reader, schema::kEmployee), QStringLiteral("error"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("reader"));
        first.close();
        second.open(storePath());
        QVERIFY(second.isOpen());
    }

    void runChange_keptOnlyWhenCommitted_data()
    {
        QTest::addColumn<bool>("innerCommitted");
        QTest::addColumn<bool>("runCommitted");
        QTest::addColumn<QString>("employees"); // of the three the store held, plus one added by each change kept
        QTest::newRow("both committed") << true << true << QStringLiteral("5");
        QTest::newRow("inner undone alone") << false << true << QStringLiteral("4");
        QTest::newRow("run closed uncommitted") << true << false << QStringLiteral("3");
    }
    void runChange_keptOnlyWhenCommitted()
    {
        QFETCH(bool, innerCommitted);
        QFETCH(bool, runCommitted);
        QFETCH(QString, employees);
        fillStore();
        {
            WageStore store;
            store.open(storePath());
            store.beginRunChange();
            store.beginRunChange();
            run(store.database(), QStringLiteral("INSERT INTO Employee (Name) VALUES ('IN THE RUN')"));
            {
                Transaction inner(store.database());
                run(store.database(), QStringLiteral("INSERT INTO Employee (Name) VALUES ('IN A STEP')"));
                if (innerCommitted) {
                    inner.commit();
                }
            }
            if (runCommitted) {
                store.commitRunChange();
            }
        }
        WageStore store;
        store.open(storePath());
        QCOMPARE(count(store.database(), schema::kEmployee), employees);
    }

    void compaction_keepsDataAndLeavesOneStore_data()
    {
        QTest::addColumn<QByteArray>("staleCopy");
        QTest::addColumn<QByteArray>("staleJournal"); // Temp.mdb-journal
        QTest::addColumn<int>("permissions");         // the store's, octal, kept by the compacted store
        QTest::newRow("no Temp.mdb, private") << QByteArray() << QByteArray() << 0600;
        QTest::newRow("stale Temp.mdb, group-readable")
            << QByteArray("half a store from an interrupted run") << QByteArray() << 0640;
        QTest::newRow("stale Temp.mdb and its journal")
            << QByteArray("half a store") << QByteArray("the journal of a copy killed while written") << 0600;
    }
    void compaction_keepsDataAndLeavesOneStore()
    {
        QFETCH(QByteArray, staleCopy);
        QFETCH(QByteArray, staleJournal);
        QFETCH(int, permissions);
        fillStore();
        if (!staleCopy.isEmpty()) {
            QVERIFY(writeBytes(copyPath(), staleCopy));
        }
        if (!staleJournal.isEmpty()) {
            QVERIFY(writeBytes(copyPath() + QStringLiteral("-journal"), staleJournal));
        }
        QVERIFY(::chmod(QFile::encodeName(storePath()).constData(), mode_t(permissions)) == 0);
        CompactWageStore(m_folder);
        struct stat status
        {
        };
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
        QTest::newRow("stopped after removing the stale copy") << removed << "stop"
                                                               << "simulated crash";
        QTest::newRow("stopped after writing the copy") << written << "stop"
                                                        << "simulated crash";
        QTest::newRow("copy not written") << removed << "block"
                                          << "could not be compacted";
        QTest::newRow("copy spoilt before its check") << written << "spoil"
                                                      << "The compacted copy of the wage store was unusable";
        QTest::newRow("old copy that cannot be removed") << -1 << ""
                                                         << "could not be removed, so the wage store was not compacted";
    }
    void compaction_failure_leavesStoreAsItWas()
    {
        QFETCH(int, step);
        QFETCH(QString, act);
        QFETCH(QString, message);
        fillStore();
        const QString journal = copyPath() + QStringLiteral("-journal");
        if (step == -1) {
            QVERIFY(QDir().mkpath(copyPath() + QStringLiteral("/in the way")));
        }
        const QByteArray before = bytesOf(storePath());
        try {
            CompactWageStore(m_folder, [&](CompactionStep reached) {
                if (int(reached) != step) {
                    return;
                }
                if (act == QLatin1String("stop")) {
                    throw StoreError(QStringLiteral("simulated crash"));
                }
                QVERIFY(act == QLatin1String("spoil") ? writeBytes(copyPath(), "no store") : QDir().mkpath(journal));
            });
            QFAIL("the compaction did not fail");
        } catch (const StoreError& error) {
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        }
        QCOMPARE(bytesOf(storePath()), before);
        if (act != QLatin1String("stop")) {
            QCOMPARE(QFileInfo(copyPath()).isFile(), false);
        }

        QVERIFY(QDir(copyPath()).removeRecursively() && QDir(journal).removeRecursively());
        CompactWageStore(m_folder);
        verifyCompacted();
    }

    void unreadableStore_isReportedAndNeverChanged_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not SQLite") << QByteArray("Standard Jet DB\0 an old Access file", 35);
        QTest::newRow("empty file") << QByteArray();
    }
    void unreadableStore_isReportedAndNeverChanged()
    {
        QFETCH(QByteArray, content);
        QVERIFY(writeBytes(storePath(), content));
        QCOMPARE(WageStore::problemWithFile(storePath()), QStringLiteral("it is not a Wagetrove wage store"));
        WageStore store;
        QVERIFY_THROWS_EXCEPTION(StoreError, store.open(storePath()));
        QVERIFY_THROWS_EXCEPTION(StoreError, CompactWageStore(m_folder));
        QCOMPARE(bytesOf(storePath()), content);
    }

    void storeWithMissingPieces_isReported_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("problem");
        QTest::newRow("table") << QStringLiteral("DROP TABLE StateIDTable")
                               << QStringLiteral("the table StateIDTable is missing");
        QTest::newRow("last field") << QStringLiteral("ALTER TABLE Employee DROP COLUMN QuarterEnding")
                                    << QStringLiteral("the field QuarterEnding of the table Employee is missing");
        QTest::newRow("stored query") << QStringLiteral("DELETE FROM StoredQuery WHERE Name = 'DeleteZeros'")
                                      << QStringLiteral("the stored query DeleteZeros is missing");
        QTest::newRow("newer schema") << QStringLiteral("PRAGMA user_version = 99") << QStringLiteral("newer release");
    }
    void storeWithMissingPieces_isReported()
    {
        QFETCH(QString, statement);
        QFETCH(QString, problem);
        {
            WageStore store;
            store.open(storePath());
            QCOMPARE(run(store.database(), statement), QString());
        }
        const auto found = WageStore::problemWithFile(storePath());
        QVERIFY2(found && found->contains(problem), qPrintable(found.value_or(QString())));
        WageStore store;
        QVERIFY_THROWS_EXCEPTION(StoreError, store.open(storePath()));
    }

    void missingStore_isNotCreated()
    {
        QFile::remove(storePath());
        WageStore store;
        QVERIFY_THROWS_EXCEPTION(StoreError, store.open(storePath()));
        QVERIFY(!QFile::exists(storePath()));
    }
};

QTEST_GUILESS_MAIN(TestWageStore)
#include "tst_wagestore.moc"
