#include "app/session.h"
#include "tests/writers/expectedrecord.h"
#include "tests/writers/writerfixture.h"
#include "writers/createncicesafile.h"

#include <QFile>
#include <QTest>

using namespace wagetrove;
using test::contentsOf;
using test::Expected;

namespace {

constexpr int kRecord = 277;

QByteArray recordN(const QByteArray& stateId = "1234567", const QByteArray& remitId = "999996",
                   const QByteArray& amounts = "00005000000"
                                               "00000800000"
                                               "00004200000")
{
    return Expected(kRecord)
        .at(1, "N")
        .at(2, stateId)
        .at(9, "3")
        .at(10, "2024")
        .at(14, "00005")
        .at(19, "00006")
        .at(24, "00007")
        .at(29, amounts)
        .at(62, remitId)
        .at(68, "I")
        .blanks(69, 207)
        .crlf(276);
}

QByteArray recordE(const QByteArray& remitId = "999996")
{
    return Expected(kRecord)
        .at(1, "E")
        .blanks(2, 4)
        .at(6, "123456789")
        .blanks(15, 9)
        .padded(24, "Acme Widgets Inc", 50)
        .padded(74, "100 Main St", 40)
        .padded(114, "Raleigh", 25)
        .at(139, "NC")
        .blanks(141, 8)
        .at(149, "-1234")
        .at(154, "27601")
        .blanks(159, 8)
        .at(167, "UTAX")
        .blanks(171, 26)
        .at(197, remitId)
        .blanks(203, 1)
        .blanks(204, 72)
        .crlf(276);
}

QByteArray recordS(const QByteArray& ss, const QByteArray& last, const QByteArray& first, const QByteArray& middle,
                   const QByteArray& gross, const QByteArray& stateId = "1234567")
{
    return Expected(kRecord)
        .at(1, "S")
        .at(2, ss)
        .padded(11, last, 20)
        .padded(31, first, 12)
        .at(43, middle)
        .at(44, "37")
        .blanks(46, 18)
        .at(64, gross)
        .blanks(78, 65)
        .at(143, "UTAX")
        .padded(147, stateId, 7)
        .blanks(154, 8)
        .blanks(162, 43)
        .at(205, "N")
        .blanks(206, 1)
        .blanks(207, 8)
        .at(215, "092024")
        .blanks(221, 55)
        .crlf(276);
}

} // namespace

class TestCreateNCICESAFile : public QObject, public test::WriterFixture
{
    Q_OBJECT

public:
    TestCreateNCICESAFile() : WriterFixture(QStringLiteral("NCUI101.txt"), test::kWageColumns) {}

private:
    bool write() { return CreateNCICESAFile(session(), m_dialogs, target()); }

private Q_SLOTS:
    void init()
    {
        resetWriter();
        Session& s = session();
        s.StateFips = QStringLiteral("37");
        s.Quarter = QStringLiteral("3");
        s.TaxYear = 2024;
        s.ToMonthYear = QStringLiteral("092024");
        s.TotalWages = Currency::fromRaw(50000'0000);
        s.TaxableTotal = Currency::fromRaw(42000'0000);
        s.Month1Count = 5;
        s.Month2Count = 6;
        s.Month3Count = 7;
        s.frmTXMag.Text1 = QStringLiteral("Acme Widgets Inc");
        s.frmTXMag.Text2 = QStringLiteral("100 Main St");
        s.frmTXMag.Text3 = QStringLiteral("Raleigh");
        s.frmTXMag.Text4 = QStringLiteral("NC");
        s.frmTXMag.Text5 = QStringLiteral("27601-1234");
        s.Form3.Text8 = QStringLiteral("12-3456789");
        s.Form3.Text9 = QStringLiteral("1234567");
    }

    // The header carries the session's totals and counts, not sums of the rows; RemitID at its default in N and
    // E; taxable wages per employee are not written; an all-zero employee removed; LastName order regardless of
    // case; 1234.565 rounded half up; accents folded; CR LF after every record.
    void twoEmployees_writtenByteForByte()
    {
        addEmployee(QStringLiteral("'234567890', 'baker', 'Zoë', '', 113456700, 100000000"));
        addEmployee(QStringLiteral("'555555555', 'Cole', 'Nobody', '', 0, 0"));
        addEmployee(QStringLiteral("'123456789', 'Abernathy-Worthington', 'José', 'anne', 12345650, 10000000"));
        QVERIFY2(write(), qPrintable(m_dialogs.messages().join(QLatin1Char('\n'))));
        QVERIFY(m_dialogs.calls().isEmpty());
        const QByteArray file = contentsOf(target());
        QCOMPARE(file.size(), 4 * kRecord);
        QCOMPARE(file.count("\r\n"), 4);
        COMPARE_FILE(target(),
                     recordN() + recordE() +
                         recordS("123456789", "ABERNATHY-WORTHINGTO", "JOSE", "A", "00000000123457") +
                         recordS("234567890", "BAKER", "ZOE", " ", "00000001134567"),
                     kRecord);
    }

    void emptyTable_writesTheHeaderAndEmployer()
    {
        QVERIFY(write());
        QCOMPARE(contentsOf(target()).size(), 554);
        COMPARE_FILE(target(), recordN() + recordE(), kRecord);
    }

    // The header takes the State ID as typed, the S record trimmed; both keep seven characters. A RemitID set by
    // the user replaces the default in both places. A missing name is blank.
    void stateIdAndRemitId()
    {
        addEmployee(QStringLiteral("'111111111', NULL, NULL, NULL, 50000, 50000"));
        session().Form3.Text9 = QStringLiteral(" 123456789");
        session().RemitID = QStringLiteral("123456");
        QVERIFY(write());
        COMPARE_FILE(target(),
                     recordN(" 123456", "123456") + recordE("123456") +
                         recordS("111111111", "", "", " ", "00000000000500", "1234567"),
                     kRecord);
    }

    void valueThatCannotBeWritten_stopsTheFileNamingIt_data()
    {
        QTest::addColumn<QString>("employee");
        QTest::addColumn<qint64>("totalWages");
        QTest::addColumn<qint64>("taxableTotal");
        QTest::addColumn<int>("month1Count");
        QTest::addColumn<QStringList>("messageParts");
        QTest::newRow("total wages of one billion")
            << QString() << qint64(1'000'000'000'0000) << qint64(0) << 5
            << QStringList{QStringLiteral("header record (N)"), QStringLiteral("Total wages (columns 29-39)"),
                           QStringLiteral("1000000000")};
        QTest::newRow("taxable above total")
            << QString() << qint64(10000) << qint64(20000) << 5
            << QStringList{QStringLiteral("Excess wages (total minus taxable) (columns 40-50)"),
                           QStringLiteral("negative")};
        QTest::newRow("negative wages") << QStringLiteral("'222222222', 'Baker', 'Ann', '', -50000, 0")
                                        << qint64(50000'0000) << qint64(42000'0000) << 5
                                        << QStringList{QStringLiteral("Employee Baker, Ann (SS 222222222)"),
                                                       QStringLiteral("GrossWages (columns 64-77)"),
                                                       QStringLiteral("negative")};
        QTest::newRow("month count of six digits") << QString() << qint64(50000'0000) << qint64(42000'0000) << 100000
                                                   << QStringList{QStringLiteral("Month1Count (columns 14-18)")};
    }
    void valueThatCannotBeWritten_stopsTheFileNamingIt()
    {
        QFETCH(QString, employee);
        QFETCH(qint64, totalWages);
        QFETCH(qint64, taxableTotal);
        QFETCH(int, month1Count);
        QFETCH(QStringList, messageParts);
        addEmployee(QStringLiteral("'111111111', 'Adams', 'Al', '', 9999999999999900, 0"));
        if (!employee.isEmpty()) {
            addEmployee(employee);
        }
        session().TotalWages = Currency::fromRaw(totalWages);
        session().TaxableTotal = Currency::fromRaw(taxableTotal);
        session().Month1Count = month1Count;
        placeExistingFile();
        QVERIFY(!write());
        verifyStopped(messageParts, kApplicationTitle);
    }

    void missingStore_keepsTheExistingFileAndShowsTheError()
    {
        QVERIFY(QFile::remove(session().DataFolder + WageStore::kFileName));
        placeExistingFile();
        QVERIFY(!write());
        verifyErrorShown(QStringLiteral("Unexpected Error has occured in CreateNCICESAFile. Try Again."));
    }
};

QTEST_GUILESS_MAIN(TestCreateNCICESAFile)
#include "tst_createncicesafile.moc"
