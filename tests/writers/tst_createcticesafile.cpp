#include "app/session.h"
#include "tests/writers/expectedrecord.h"
#include "tests/writers/writerfixture.h"
#include "writers/createcticesafile.h"

#include <QFile>
#include <QTest>

using namespace wagetrove;
using test::contentsOf;
using test::Expected;

namespace {

constexpr int kRecord = 277;

QByteArray recordS(const QByteArray& ss, const QByteArray& last, const QByteArray& first, const QByteArray& middle,
                   const QByteArray& gross, const QByteArray& stateId = "123456789 ",
                   const QByteArray& quarter = "062024")
{
    return Expected(kRecord)
        .at(1, "S")
        .at(2, ss)
        .padded(11, last, 20)
        .padded(31, first, 12)
        .at(43, middle)
        .at(44, "09")
        .blanks(46, 4)
        .at(50, gross)
        .blanks(64, 83)
        .at(147, stateId)
        .blanks(157, 58)
        .at(215, quarter)
        .blanks(221, 55)
        .crlf(276);
}

} // namespace

class TestCreateCTICESAFile : public QObject, public test::WriterFixture
{
    Q_OBJECT

public:
    TestCreateCTICESAFile() : WriterFixture(QStringLiteral("CT-UI.txt"), test::kWageColumns) {}

private:
    bool write() { return CreateCTICESAFile(session(), m_dialogs, target()); }

private Q_SLOTS:
    void init()
    {
        resetWriter();
        Session& s = session();
        s.StateFips = QStringLiteral("09");
        s.Quarter = QStringLiteral("2");
        s.ToMonthYear = QStringLiteral("062024");
        s.Form3.Text9 = QStringLiteral("123456789");
    }

    // Gross wages of 5000 and 1234.565 (rounded half up); taxable wages not written; a middle name in full reduced
    // to its initial, an empty one blank; an all-zero employee removed; LastName order regardless of case; CR LF.
    void twoEmployees_writtenByteForByte()
    {
        addEmployee(QStringLiteral("'234567890', 'baker', 'Zoë', '', 50000000, 1"));
        addEmployee(QStringLiteral("'555555555', 'Cole', 'Nobody', '', 0, 0"));
        addEmployee(QStringLiteral("'123456789', 'Abernathy-Worthington', 'José', 'anne', 12345650, 10000000"));
        QVERIFY2(write(), qPrintable(m_dialogs.messages().join(QLatin1Char('\n'))));
        QVERIFY(m_dialogs.calls().isEmpty());
        QCOMPARE(contentsOf(target()).size(), 2 * kRecord);
        COMPARE_FILE(target(),
                     recordS("123456789", "ABERNATHY-WORTHINGTO", "JOSE", "A", "00000000123457") +
                         recordS("234567890", "BAKER", "ZOE", " ", "00000000500000"),
                     kRecord);
    }

    void emptyTable_writesAnEmptyFile()
    {
        placeExistingFile();
        QVERIFY(write());
        QCOMPARE(contentsOf(target()), QByteArray());
    }

    // The State ID as typed, cut to ten; quarter 4; a missing value blank or zero.
    void stateIdFourthQuarterAndMissingValues()
    {
        addEmployee(QStringLiteral("'111111111', 'Adams', NULL, NULL, 500000, NULL"));
        session().Form3.Text9 = QStringLiteral(" 12345678901");
        session().Quarter = QStringLiteral("4");
        session().ToMonthYear = QStringLiteral("122024");
        QVERIFY(write());
        COMPARE_FILE(target(), recordS("111111111", "ADAMS", "", " ", "00000000005000", " 123456789", "122024"),
                     kRecord);
    }

    void valueThatCannotBeWritten_stopsTheFileNamingIt_data()
    {
        QTest::addColumn<QString>("employee");
        QTest::addColumn<QStringList>("messageParts");
        QTest::newRow("negative wages") << QStringLiteral("'222222222', 'Baker', 'Ann', '', -50000, 0")
                                        << QStringList{QStringLiteral("Employee Baker, Ann (SS 222222222)"),
                                                       QStringLiteral("GrossWages (columns 50-63)"),
                                                       QStringLiteral("negative")};
        QTest::newRow("wages of a trillion")
            << QStringLiteral("'222222222', 'Baker', 'Ann', '', 10000000000000000, 0")
            << QStringList{QStringLiteral("Baker"), QStringLiteral("1000000000000 does not fit")};
    }
    void valueThatCannotBeWritten_stopsTheFileNamingIt()
    {
        QFETCH(QString, employee);
        QFETCH(QStringList, messageParts);
        addEmployee(QStringLiteral("'111111111', 'Adams', 'Al', '', 9999999999999900, 0"));
        addEmployee(employee);
        placeExistingFile();
        QVERIFY(!write());
        verifyStopped(messageParts, kApplicationTitle);
    }

    void missingStore_keepsTheExistingFileAndShowsTheError()
    {
        QVERIFY(QFile::remove(session().DataFolder + WageStore::kFileName));
        placeExistingFile();
        QVERIFY(!write());
        verifyErrorShown(QStringLiteral("Unexpected Error has occured in CreateCTICESAFile. Try Again."));
    }
};

QTEST_GUILESS_MAIN(TestCreateCTICESAFile)
#include "tst_createcticesafile.moc"
