#include "app/session.h"
#include "tests/writers/expectedrecord.h"
#include "tests/writers/writerfixture.h"
#include "writers/createmdicesafile.h"

#include <QFile>
#include <QTest>

using namespace wagetrove;
using wagetrove::test::contentsOf;
using wagetrove::test::Expected;

namespace {

constexpr int kRecord = 276;

QByteArray recordS(const QByteArray& ss, const QByteArray& last, const QByteArray& first, const QByteArray& gross,
                   const QByteArray& stateId = "0012345678")
{
    return Expected(kRecord)
        .at(1, "S")
        .at(2, ss)
        .padded(11, last, 20)
        .padded(31, first, 12)
        .blanks(43, 1)
        .at(44, "24")
        .blanks(46, 18)
        .at(64, gross)
        .blanks(78, 69)
        .at(147, stateId)
        .blanks(157, 58)
        .at(215, "062024")
        .blanks(221, 55)
        .at(276, "\r");
}

} // namespace

class TestCreateMDICESAFile : public QObject, public test::WriterFixture
{
    Q_OBJECT

public:
    TestCreateMDICESAFile() : WriterFixture(QStringLiteral("MDWAGES.TXT"), test::kMonthlyWageColumns) {}

private:
    bool write() { return CreateMDICESAFile(session(), m_dialogs, target()); }

private Q_SLOTS:
    void init()
    {
        resetWriter();
        Session& s = session();
        s.StateFips = QStringLiteral("24");
        s.Quarter = QStringLiteral("2");
        s.TaxYear = 2024;
        s.ToMonthYear = QStringLiteral("062024");
        s.Form3.Text9 = QStringLiteral("12345678");
    }

    void emptyTable_writesAnEmptyFile()
    {
        placeExistingFile();
        QVERIFY(write());
        QVERIFY(m_dialogs.calls().isEmpty());
        QVERIFY(QFile::exists(target()));
        QCOMPARE(contentsOf(target()), QByteArray());
    }

    // LastName order; no middle initial and no taxable wages; 1234.565 rounded half up; a carriage return and no
    // line feed after each record; an all-zero employee removed; a missing first name blank.
    void twoEmployees_writtenByteForByte()
    {
        addEmployee(QStringLiteral("'234567890', 'baker', NULL, 'Lee', 113456700, 50000000, 0, 1, 1"));
        addEmployee(QStringLiteral("'555555555', 'Cole', 'Nobody', '', 0, 0, 1, 1, 1"));
        addEmployee(QStringLiteral("'123456789', 'Abernathy', 'José', 'anne', 12345650, 10000000, 1, 1, 0"));
        QVERIFY(write());
        QVERIFY(m_dialogs.calls().isEmpty());
        const QByteArray file = contentsOf(target());
        QVERIFY(!file.contains('\n'));
        COMPARE_FILE(target(),
                     recordS("123456789", "ABERNATHY", "JOSE", "00000000123457") +
                         recordS("234567890", "BAKER", "", "00000001134567"),
                     kRecord);
    }

    void stateIdAsEightDigits_data()
    {
        QTest::addColumn<QString>("stateId");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("eight digits") << "12345678" << QByteArray("0012345678");
        QTest::newRow("seven digits") << "1234567" << QByteArray("0001234567");
        QTest::newRow("empty") << "" << QByteArray("0000000000");
        QTest::newRow("leading number") << "12-345" << QByteArray("0000000012");
    }
    void stateIdAsEightDigits()
    {
        QFETCH(QString, stateId);
        QFETCH(QByteArray, written);
        session().Form3.Text9 = stateId;
        addEmployee(QStringLiteral("'111111111', 'Adams', 'Al', '', 10000, 10000, 1, 1, 1"));
        QVERIFY(write());
        QCOMPARE(contentsOf(target()), recordS("111111111", "ADAMS", "AL", "00000000000100", written));
    }

    // A State ID of nine digits would lose its last one in the ten-character field.
    void valueThatCannotBeWritten_stopsTheFileNamingIt_data()
    {
        QTest::addColumn<QString>("stateId");
        QTest::addColumn<QString>("employee");
        QTest::addColumn<QStringList>("messageParts");
        QTest::newRow("nine-digit State ID")
            << "123456789" << QStringLiteral("'222222222', 'Baker', 'Ann', '', 10000, 10000, 1, 1, 1")
            << QStringList{QStringLiteral("The Maryland wage file"), QStringLiteral("State ID (columns 149-156)"),
                           QStringLiteral("123456789")};
        QTest::newRow("negative wage") << "12345678"
                                       << QStringLiteral("'222222222', 'Baker', 'Ann', '', -50000, 0, 1, 1, 1")
                                       << QStringList{QStringLiteral("Employee Baker, Ann (SS 222222222)"),
                                                      QStringLiteral("GrossWages (columns 64-77)")};
    }
    void valueThatCannotBeWritten_stopsTheFileNamingIt()
    {
        QFETCH(QString, stateId);
        QFETCH(QString, employee);
        QFETCH(QStringList, messageParts);
        session().Form3.Text9 = stateId;
        addEmployee(employee);
        placeExistingFile();
        QVERIFY(!write());
        verifyStopped(messageParts);
    }

    void missingStore_showsItsOwnMessage()
    {
        QVERIFY(QFile::remove(session().DataFolder + WageStore::kFileName));
        placeExistingFile();
        QVERIFY(!write());
        verifyStopped({QStringLiteral("Unexpected Error has occured in CreateMDICESAFile. Try Again.")});
        QCOMPARE(m_dialogs.calls().first().title, QStringLiteral("Error"));
    }
};

QTEST_GUILESS_MAIN(TestCreateMDICESAFile)
#include "tst_createmdicesafile.moc"
