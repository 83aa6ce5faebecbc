#include "app/session.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"
#include "tests/writers/expectedrecord.h"
#include "writers/createmsicesafile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace wagetrove;
using wagetrove::test::contentsOf;
using wagetrove::test::Expected;

namespace {

constexpr int kRecord = 277;

QByteArray recordS(const QByteArray& ss, const QByteArray& last, const QByteArray& first, const QByteArray& middle,
                   const QByteArray& gross, const QByteArray& stateId = "2345678901")
{
    return Expected(kRecord)
        .at(1, "S")
        .at(2, ss)
        .padded(11, last, 20)
        .padded(31, first, 12)
        .at(43, middle)
        .at(44, "28")
        .blanks(46, 4)
        .at(50, gross)
        .blanks(64, 83)
        .padded(147, stateId, 15)
        .blanks(162, 53)
        .at(215, "092024")
        .blanks(221, 55)
        .crlf(276);
}

} // namespace

class TestCreateMSICESAFile : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::StoreFixture> m_store;
    test::ScriptedDialogs m_dialogs;
    QTemporaryDir m_out;

    Session& session() { return m_store->session(); }
    QString target() const { return m_out.filePath(QStringLiteral("MSWAGES.TXT")); }
    bool write() { return CreateMSICESAFile(session(), m_dialogs, target()); }

    void addEmployee(const QString& values)
    {
        QVERIFY(m_store->exec(QStringLiteral("INSERT INTO Employee (SS, LastName, FirstName, MiddleName, GrossWages, "
                                             "TaxableWages, Month1, Month2, Month3) VALUES (%1)")
                                  .arg(values)));
    }

    void placeExistingFile()
    {
        QFile old(target());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("last quarter's file");
    }

    void verifyStopped(const QStringList& messageParts)
    {
        QCOMPARE(m_dialogs.calls().size(), 1);
        for (const QString& part : messageParts) {
            QVERIFY2(m_dialogs.calls().first().text.contains(part), qPrintable(m_dialogs.calls().first().text));
        }
        QCOMPARE(contentsOf(target()), QByteArray("last quarter's file"));
        QCOMPARE(QDir(m_out.path()).entryList(QDir::Files), QStringList{QStringLiteral("MSWAGES.TXT")});
    }

private Q_SLOTS:
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        m_dialogs = test::ScriptedDialogs();
        QDir(m_out.path()).removeRecursively();
        QDir().mkpath(m_out.path());
        Session& s = session();
        s.StateFips = QStringLiteral("28");
        s.Quarter = QStringLiteral("3");
        s.TaxYear = 2024;
        s.ToMonthYear = QStringLiteral("092024");
        s.Form3.Text9 = QStringLiteral("2345678901");
    }

    void emptyTable_writesAnEmptyFile()
    {
        placeExistingFile();
        QVERIFY(write());
        QVERIFY(m_dialogs.calls().isEmpty());
        QCOMPARE(contentsOf(target()), QByteArray());
    }

    // Gross wages at 50-63 and no taxable wages; 0.50 as 00000000000050; the middle initial, a missing one blank;
    // LastName order; CR LF after each record; an all-zero employee removed.
    void twoEmployees_writtenByteForByte()
    {
        addEmployee(QStringLiteral("'234567890', 'baker', 'Zoë', NULL, 5000, 5000, 0, 1, 1"));
        addEmployee(QStringLiteral("'555555555', 'Cole', 'Nobody', '', 0, 0, 1, 1, 1"));
        addEmployee(QStringLiteral("'123456789', 'Abernathy', 'José', 'anne', 12345650, 10000000, 1, 1, 0"));
        QVERIFY(write());
        QVERIFY(m_dialogs.calls().isEmpty());
        QCOMPARE(contentsOf(target()).count("\r\n"), 2);
        COMPARE_FILE(target(),
                     recordS("123456789", "ABERNATHY", "JOSE", "A", "00000000123457") +
                         recordS("234567890", "BAKER", "ZOE", " ", "00000000000050"),
                     kRecord);
    }

    void longStateId_keepsItsFirstFifteen()
    {
        session().Form3.Text9 = QStringLiteral("1234567890ABCDEFG");
        addEmployee(QStringLiteral("'111111111', 'Adams', 'Al', '', 10000, 10000, 1, 1, 1"));
        QVERIFY(write());
        QCOMPARE(contentsOf(target()), recordS("111111111", "ADAMS", "AL", " ", "00000000000100", "1234567890ABCDE"));
    }

    void valueThatCannotBeWritten_stopsTheFileNamingIt()
    {
        addEmployee(QStringLiteral("'111111111', 'Adams', 'Al', '', 10000, 10000, 1, 1, 1"));
        addEmployee(QStringLiteral("'222222222', 'Baker', 'Ann', '', 10000000000000000, 0, 1, 1, 1"));
        placeExistingFile();
        QVERIFY(!write());
        verifyStopped({QStringLiteral("The Mississippi wage file"),
                       QStringLiteral("Employee Baker, Ann (SS 222222222)"),
                       QStringLiteral("GrossWages (columns 50-63)")});
    }

    void missingStore_showsItsOwnMessage()
    {
        QVERIFY(QFile::remove(session().DataFolder + WageStore::kFileName));
        placeExistingFile();
        QVERIFY(!write());
        verifyStopped({QStringLiteral("Unexpected Error has occured in CreateMSICESAFile. Try Again.")});
        QCOMPARE(m_dialogs.calls().first().title, QStringLiteral("Error"));
    }
};

QTEST_GUILESS_MAIN(TestCreateMSICESAFile)
#include "tst_createmsicesafile.moc"
