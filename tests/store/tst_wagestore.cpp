#include "app/session.h"
#include "store/schema.h"
#include "store/sqlutil.h"
#include "store/storeerror.h"
#include "store/wagestore.h"
#include "tests/support/filebytes.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QFile>
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

QSqlQuery run(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql)) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    }
    return query;
}

int count(QSqlDatabase& db, const QString& table)
{
    QSqlQuery query = run(db, QStringLiteral("SELECT count(*) FROM [%1]").arg(table));
    return query.next() ? query.value(0).toInt() : -1;
}

} // namespace

class TestWageStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_folder;

    QString storePath() const { return m_folder + WageStore::kFileName; }

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

private Q_SLOTS:
    void init()
    {
        m_folder = m_dir.path() + QStringLiteral("/") + QString::fromLatin1(QTest::currentTestFunction()) +
                   QStringLiteral("/");
        QVERIFY(QDir().mkpath(m_folder));
        QVERIFY(test::copyEmptyStore(storePath()));
    }

    void emptyStore_hasSchemaDefaultsAndOneSubmitterRow()
    {
        WageStore store;
        store.open(storePath());
        QSqlDatabase& db = store.database();
        QSqlQuery version = run(db, QStringLiteral("PRAGMA user_version"));
        QVERIFY(version.next());
        QCOMPARE(version.value(0).toInt(), schema::kVersion);
        QCOMPARE(count(db, schema::kSubmitter), 1);
        QCOMPARE(count(db, schema::kEmployee), 0);

        // Field names reach their field in any letter case, the one with a blank included.
        QSqlQuery read = run(db, QStringLiteral("SELECT email, EMAIL, EMail FROM Submitter"));
        QVERIFY(read.next());
        QCOMPARE(read.value(0).toString(), QString());
        QVERIFY(db.record(QStringLiteral("employee")).indexOf(QStringLiteral("Unitcode")) >= 0);
        QVERIFY(db.record(QStringLiteral("StateIDTable")).indexOf(QStringLiteral("county code")) >= 0);

        // A new row carries what it needs: zero money and hours, owner "0", no months, empty texts.
        run(db, QStringLiteral("INSERT INTO Employee DEFAULT VALUES"));
        QSqlQuery row =
            run(db, QStringLiteral("SELECT GrossWages, TaxableWages, SWHWages, SWHAmount, TotalHours, "
                                   "Owner, Month1, Month2, Month3, Name, UnitCode, StateCode FROM Employee"));
        QVERIFY(row.next());
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(row.value(i).toLongLong(), 0);
        }
        QCOMPARE(row.value(5).toString(), QStringLiteral("0"));
        for (int i = 6; i < 9; ++i) {
            QCOMPARE(row.value(i).toInt(), 0);
        }
        for (int i = 9; i < 12; ++i) {
            QCOMPARE(row.value(i).toString(), QString());
        }
    }

    void nameLookUpIgnoresCase_andIndexesExist()
    {
        fillStore();
        WageStore store;
        store.open(storePath());
        QSqlQuery find(store.database());
        QVERIFY(find.prepare(QStringLiteral("SELECT LastName FROM Employee WHERE Name = ?")));
        find.addBindValue(QStringLiteral("john q public"));
        QVERIFY(find.exec() && find.next());
        QCOMPARE(find.value(0).toString(), QStringLiteral("PUBLIC"));

        QSqlQuery indexes =
            run(store.database(), QStringLiteral("SELECT name, tbl_name FROM sqlite_master WHERE type = "
                                                 "'index' AND name NOT LIKE 'sqlite_%' ORDER BY name"));
        QStringList found;
        while (indexes.next()) {
            found << indexes.value(0).toString() + QLatin1Char('/') + indexes.value(1).toString();
        }
        QCOMPARE(found, (QStringList{QStringLiteral("EIN/StateIDTable"), QStringLiteral("LastName/Employee"),
                                     QStringLiteral("Name/Employee")}));
    }

    void deleteZeros_removesExactlyTheRowsWithoutWages_data()
    {
        QTest::addColumn<QString>("values");
        QTest::addColumn<bool>("kept");
        QTest::newRow("all zero") << QStringLiteral("0, 0, 0, 0, 400000") << false;
        QTest::newRow("all missing") << QStringLiteral("NULL, NULL, NULL, NULL, NULL") << false;
        QTest::newRow("gross only") << QStringLiteral("1, 0, 0, 0, 0") << true;
        QTest::newRow("taxable only") << QStringLiteral("0, 100, 0, 0, 0") << true;
        QTest::newRow("withholding wages only") << QStringLiteral("NULL, NULL, 5000, NULL, 0") << true;
        QTest::newRow("withheld amount only") << QStringLiteral("0, 0, 0, 700, 0") << true;
        QTest::newRow("negative correction") << QStringLiteral("-250000, 0, 0, 0, 0") << true;
    }

    void deleteZeros_removesExactlyTheRowsWithoutWages()
    {
        QFETCH(QString, values);
        QFETCH(bool, kept);
        WageStore store;
        store.open(storePath());
        run(store.database(), QStringLiteral("INSERT INTO Employee (GrossWages, TaxableWages, SWHWages, SWHAmount, "
                                             "TotalHours) VALUES (%1)")
                                  .arg(values));
        store.runStoredQuery(schema::kDeleteZeros);
        QCOMPARE(count(store.database(), schema::kEmployee), kept ? 1 : 0);
    }

    void storedQueries_runTogetherOrNotAtAll()
    {
        fillStore();
        WageStore store;
        store.open(storePath());
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 store.runStoredQueries({schema::kDeleteEmployees, QStringLiteral("NoSuchQuery")}));
        QCOMPARE(count(store.database(), schema::kEmployee), 3);
    }

    void openWageStore_emptiesOneRunsTablesUnlessMerging()
    {
        fillStore();
        Session session;
        session.DataFolder = m_folder;
        session.MergeFiles = true;
        OpenWageStore(session);
        QCOMPARE(count(session.Store.database(), schema::kEmployee), 3);
        QCOMPARE(count(session.Store.database(), schema::kEmployer), 2);
        CloseWageStore(session);
        QVERIFY(!session.Store.isOpen());

        session.MergeFiles = false;
        OpenWageStore(session);
        QSqlDatabase& db = session.Store.database();
        QCOMPARE(count(db, schema::kEmployee), 0);
        QCOMPARE(count(db, schema::kEmployer), 0);
        QCOMPARE(count(db, schema::kStateIDTable), 1);
        QSqlQuery submitter = run(db, QStringLiteral("SELECT Name FROM Submitter"));
        QVERIFY(submitter.next());
        QCOMPARE(submitter.value(0).toString(), QStringLiteral("SUBMITTER LLC"));
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
            QSqlQuery query(reader);
            QVERIFY(!query.exec(QStringLiteral("SELECT count(*) FROM Employee")));
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
        QTest::addColumn<int>("employees"); // of the three the store held, plus one added by each change kept
        QTest::newRow("both committed") << true << true << 5;
        QTest::newRow("inner undone alone") << false << true << 4;
        QTest::newRow("run closed uncommitted") << true << false << 3;
    }
    void runChange_keptOnlyWhenCommitted()
    {
        QFETCH(bool, innerCommitted);
        QFETCH(bool, runCommitted);
        QFETCH(int, employees);
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
            QVERIFY(writeBytes(m_folder + WageStore::kCompactFileName, staleCopy));
        }
        if (!staleJournal.isEmpty()) {
            QVERIFY(writeBytes(m_folder + WageStore::kCompactFileName + QStringLiteral("-journal"), staleJournal));
        }
        QVERIFY(::chmod(QFile::encodeName(storePath()).constData(), mode_t(permissions)) == 0);
        CompactWageStore(m_folder);
        QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList{WageStore::kFileName});
        struct stat status
        {
        };
        QVERIFY(::stat(QFile::encodeName(storePath()).constData(), &status) == 0);
        QCOMPARE(int(status.st_mode & 0777), permissions);
        WageStore store;
        store.open(storePath());
        QCOMPARE(count(store.database(), schema::kEmployee), 3);
        QCOMPARE(count(store.database(), schema::kStateIDTable), 1);
    }

    void compaction_failureBetweenSteps_leavesStoreAsItWas_data()
    {
        QTest::addColumn<int>("failAfter");
        QTest::newRow("after removing the stale copy") << int(CompactionStep::StaleCopyRemoved);
        QTest::newRow("after writing the copy") << int(CompactionStep::CopyWritten);
    }

    void compaction_failureBetweenSteps_leavesStoreAsItWas()
    {
        QFETCH(int, failAfter);
        fillStore();
        const QByteArray before = bytesOf(storePath());
        QVERIFY_THROWS_EXCEPTION(StoreError, CompactWageStore(m_folder, [&](CompactionStep step) {
                                     if (int(step) == failAfter) {
                                         throw StoreError(QStringLiteral("simulated crash"));
                                     }
                                 }));
        QCOMPARE(bytesOf(storePath()), before);

        // The next start recovers: the stale copy goes and the store is compacted.
        CompactWageStore(m_folder);
        QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList{WageStore::kFileName});
        WageStore store;
        store.open(storePath());
        QCOMPARE(count(store.database(), schema::kEmployee), 3);
    }

    void unreadableStore_isReportedAndNeverChanged_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("problem");
        QTest::newRow("not SQLite") << QByteArray("Standard Jet DB\0 an old Access file", 35)
                                    << QStringLiteral("not a Wagetrove wage store");
        QTest::newRow("empty file") << QByteArray() << QStringLiteral("not a Wagetrove wage store");
    }

    void unreadableStore_isReportedAndNeverChanged()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, problem);
        QVERIFY(writeBytes(storePath(), content));
        const auto found = WageStore::problemWithFile(storePath());
        QVERIFY(found.has_value());
        QVERIFY2(found->contains(problem), qPrintable(*found));
        WageStore store;
        QVERIFY_THROWS_EXCEPTION(StoreError, store.open(storePath()));
        QVERIFY_THROWS_EXCEPTION(StoreError, CompactWageStore(m_folder));
        QCOMPARE(bytesOf(storePath()), content);
    }

    void storeWithMissingPieces_isReported()
    {
        {
            WageStore store;
            store.open(storePath());
            run(store.database(), QStringLiteral("DROP TABLE StateIDTable"));
        }
        QCOMPARE(WageStore::problemWithFile(storePath()), QStringLiteral("the table StateIDTable is missing"));

        QVERIFY(test::copyEmptyStore(storePath()));
        {
            WageStore store;
            store.open(storePath());
            run(store.database(), QStringLiteral("DELETE FROM StoredQuery WHERE Name = 'DeleteZeros'"));
        }
        QCOMPARE(WageStore::problemWithFile(storePath()), QStringLiteral("the stored query DeleteZeros is missing"));

        QVERIFY(test::copyEmptyStore(storePath()));
        {
            WageStore store;
            store.open(storePath());
            run(store.database(), QStringLiteral("PRAGMA user_version = 99"));
        }
        QVERIFY(WageStore::problemWithFile(storePath())->contains(QStringLiteral("newer release")));
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
