#include "app/session.h"
#include "tests/writers/expectedrecord.h"
#include "tests/writers/writerfixture.h"
#include "writers/createtnicesafile.h"

#include <QFile>
#include <QTest>

using namespace wagetrove;
using wagetrove::test::contentsOf;
using wagetrove::test::Expected;
using wagetrove::test::letterAndBlanks;

namespace {

constexpr int kRecord = 277;

QByteArray recordE(const QByteArray& stateId = "12345678")
{
    return Expected(kRecord)
        .at(1, "E")
        .at(2, "2024")
        .at(6, "123456789")
        .blanks(15, 146)
        .at(161, "25")
        .blanks(163, 8)
        .at(171, "47")
        .padded(173, stateId, 8)
        .blanks(181, 7)
        .at(188, "12")
        .at(190, "0")
        .blanks(191, 85)
        .crlf(276);
}

QByteArray recordS(const QByteArray& ss, const QByteArray& last, const QByteArray& first, const QByteArray& middle,
                   const QByteArray& gross)
{
    return Expected(kRecord)
        .at(1, "S")
        .at(2, ss)
        .padded(11, last, 20)
        .padded(31, first, 12)
        .at(43, middle)
        .at(44, "47")
        .blanks(46, 4)
        .at(50, "00000000000000")
        .at(64, gross)
        .blanks(78, 198)
        .crlf(276);
}

const QByteArray kRecordF = letterAndBlanks('F', kRecord, "\r\n");

} // namespace

class TestCreateTNICESAFile : public QObject, public test::WriterFixture
{
    Q_OBJECT

public:
    TestCreateTNICESAFile() : WriterFixture(QStringLiteral("TNWAGES.TXT"), test::kMonthlyWageColumns) {}

private:
    bool write() { return CreateTNICESAFile(session(), m_dialogs, target()); }

private Q_SLOTS:
    void init()
    {
        resetWriter();
        Session& s = session();
        s.StateFips = QStringLiteral("47");
        s.Quarter = QStringLiteral("4");
        s.TaxYear = 2024;
        s.ToMonthYear = QStringLiteral("122024");
        s.Form3.Text8 = QStringLiteral("12-3456789");
        s.Form3.Text9 = QStringLiteral("12345678");
    }

    void emptyTable_writesEAndF()
    {
        QVERIFY(write());
        QVERIFY(m_dialogs.calls().isEmpty());
        QCOMPARE(contentsOf(target()).size(), 554);
        COMPARE_FILE(target(), recordE() + kRecordF, kRecord);
    }

    // Quarter 4 of 2024: 2024 and 12 in E; names in capitals with their blanks taken out; zeros at 50-63 and gross
    // wages at 64-77; LastName order ("Mc Donald" before "Smith"); an all-zero employee removed; a missing middle
    // name blank.
    void twoEmployees_writtenByteForByte()
    {
        addEmployee(QStringLiteral("'234567890', 'Smith', 'Jo', NULL, 113456700, 50000000, 0, 1, 1"));
        addEmployee(QStringLiteral("'555555555', 'Cole', 'Nobody', '', 0, 0, 1, 1, 1"));
        addEmployee(QStringLiteral("'123456789', 'Mc Donald', 'Mary Ann', 'lou', 12345650, 10000000, 1, 1, 0"));
        QVERIFY(write());
        QVERIFY(m_dialogs.calls().isEmpty());
        QCOMPARE(contentsOf(target()).count("\r\n"), 4);
        COMPARE_FILE(target(),
                     recordE() + recordS("123456789", "MCDONALD", "MARYANN", "L", "00000000123457") +
                         recordS("234567890", "SMITH", "JO", " ", "00000001134567") + kRecordF,
                     kRecord);
    }

    void stateId_trimmedAndCutToEight()
    {
        session().Form3.Text9 = QStringLiteral("  123456789 ");
        QVERIFY(write());
        COMPARE_FILE(target(), recordE("12345678") + kRecordF, kRecord);
    }

    void valueThatCannotBeWritten_stopsTheFileNamingIt()
    {
        addEmployee(QStringLiteral("'111111111', 'Adams', 'Al', '', 10000, 10000, 1, 1, 1"));
        addEmployee(QStringLiteral("'222222222', 'Baker', 'Ann', '', -50000, 0, 1, 1, 1"));
        placeExistingFile();
        QVERIFY(!write());
        verifyStopped({QStringLiteral("The Tennessee wage file"), QStringLiteral("Employee Baker, Ann (SS 222222222)"),
                       QStringLiteral("GrossWages (columns 64-77)")});
    }

    // The message names this writer.
    void missingStore_showsItsOwnMessage()
    {
        QVERIFY(QFile::remove(session().DataFolder + WageStore::kFileName));
        placeExistingFile();
        QVERIFY(!write());
        verifyStopped({QStringLiteral("Unexpected Error has occured in CreateTNICESAFile. Try Again.")});
        QCOMPARE(m_dialogs.calls().first().title, QStringLiteral("Error"));
    }
};

QTEST_GUILESS_MAIN(TestCreateTNICESAFile)
#include "tst_createtnicesafile.moc"
