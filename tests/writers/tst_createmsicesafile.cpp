#include "app/session.h"
#include "tests/writers/expectedrecord.h"
#include "tests/writers/writerfixture.h"
#include "writers/createmsicesafile.h"

#include <QFile>
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

class TestCreateMSICESAFile : public QObject, public test::WriterFixture
{
    Q_OBJECT

public:
    TestCreateMSICESAFile() : WriterFixture(QStringLiteral("MSWAGES.TXT"), test::kMonthlyWageColumns) {}

private:
    bool write() { return CreateMSICESAFile(session(), m_dialogs, target()); }

private Q_SLOTS:
    void init()
    {
        resetWriter();
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
