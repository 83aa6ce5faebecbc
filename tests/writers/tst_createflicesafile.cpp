#include "app/session.h"
#include "tests/writers/expectedrecord.h"
#include "tests/writers/writerfixture.h"
#include "writers/createflicesafile.h"

#include <QFile>
#include <QTest>

using namespace wagetrove;
using test::contentsOf;
using test::Expected;

namespace {

const QDate kToday(2024, 10, 15);

QByteArray record00()
{
    return Expected(20).at(1, "00").at(3, "987654321").at(12, "1234567").crlf(19);
}

QByteArray record01(const QByteArray& zip = "323011234", const QByteArray& phone = "9045551234",
                    const QByteArray& totals = "000000001258024"
                                               "00000023457"
                                               "000000001234567"
                                               "00000038272",
                    const QByteArray& due = "00000038272")
{
    return Expected(306)
        .at(1, "01")
        .at(3, "123456789")
        .at(12, "1234567")
        .padded(19, "Smith  Jones & Co ", 57)
        .padded(76, "100 Main St", 22)
        .padded(98, "Tallahassee", 22)
        .at(120, "FL")
        .at(122, zip)
        .at(131, "2024")
        .at(135, "03")
        .at(137, totals)
        .at(189, "000000000")
        .at(198, "000000000")
        .at(207, due)
        .padded(218, "Pat Jones", 27)
        .at(245, phone)
        .padded(255, "pat@example.com", 50)
        .crlf(305);
}

QByteArray record02(const QByteArray& ss, const QByteArray& first, const QByteArray& middle, const QByteArray& last,
                    const QByteArray& gross, const QByteArray& taxable)
{
    return Expected(106)
        .at(1, "02")
        .at(3, ss)
        .padded(12, first, 15)
        .at(27, middle)
        .padded(28, last, 20)
        .at(48, gross)
        .at(59, taxable)
        .at(70, "00000000000")
        .at(81, "00000000000")
        .at(92, "FL")
        .at(94, "00000000000")
        .crlf(105);
}

QByteArray record03()
{
    return Expected(25).at(1, "03").at(3, "0000002").at(10, "0000002").at(17, "0000001").crlf(24);
}

QByteArray record99()
{
    return Expected(10).at(1, "99").at(3, "20241015");
}

// The records differ in length, so a difference is placed by byte offset and line.
QString firstDifference(const QByteArray& actual, const QByteArray& expected)
{
    const qsizetype common = std::min(actual.size(), expected.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (actual[i] != expected[i]) {
            const qsizetype lineStart = expected.lastIndexOf('\n', i - 1) + 1;
            return QStringLiteral("line %1, column %2:\n expected \"%3\"\n actual   \"%4\"")
                .arg(expected.left(i).count('\n') + 1)
                .arg(i - lineStart + 1)
                .arg(QString::fromLatin1(expected.mid(i, 40)), QString::fromLatin1(actual.mid(i, 40)));
        }
    }
    return actual.size() == expected.size()
               ? QString()
               : QStringLiteral("%1 bytes instead of %2").arg(actual.size()).arg(expected.size());
}

} // namespace

#define COMPARE_BYTES(actual, expected)                                                                                \
    do {                                                                                                               \
        const QString difference = firstDifference(actual, expected);                                                  \
        QVERIFY2(difference.isEmpty(), qPrintable(difference));                                                        \
    } while (false)

class TestCreateFLICESAFile : public QObject, public test::WriterFixture
{
    Q_OBJECT

public:
    TestCreateFLICESAFile() : WriterFixture(QStringLiteral("UCT6.txt"), test::kWageColumns) {}

private:
    bool write() { return CreateFLICESAFile(session(), m_dialogs, target(), kToday); }

    void addTwoEmployees()
    {
        addEmployee(QStringLiteral("'234567890', 'baker', 'Zoë', ' ', 113456700, 113456700"));
        addEmployee(QStringLiteral("'555555555', 'Cole', 'Nobody', '', 0, 0")); // removed as all zero
        addEmployee(QStringLiteral("'123456789', 'Abernathy-Worthington', 'Josephine-Marielle', 'anne', 12345650, "
                                   "10000000"));
    }

private Q_SLOTS:
    void init()
    {
        resetWriter();
        Session& s = session();
        s.StateFips = QStringLiteral("12");
        s.Quarter = QStringLiteral("3");
        s.ToMonthYear = QStringLiteral("092024");
        s.TotalWages = Currency::fromRaw(125802400);
        s.TaxableTotal = Currency::fromRaw(123456700);
        s.frmTXMag = {QStringLiteral("Smith, Jones & Co."),
                      QStringLiteral("100 Main St"),
                      QStringLiteral("Tallahassee"),
                      QStringLiteral("FL"),
                      QStringLiteral("32301-1234"),
                      QStringLiteral("Payroll Services LLC"),
                      QStringLiteral("200 Oak Ave"),
                      QStringLiteral("Miami"),
                      QStringLiteral("Pat Jones"),
                      QStringLiteral("pat@example.com"),
                      QStringLiteral("FL"),
                      QStringLiteral("33101"),
                      QStringLiteral("98-7654321"),
                      QStringLiteral("904-555-1234")};
        s.Form3.Text1 = QStringLiteral("2");
        s.Form3.Text3 = QStringLiteral("2");
        s.Form3.Text4 = QStringLiteral("1");
        s.Form3.Text7 = QStringLiteral("$382.72");
        s.Form3.Text8 = QStringLiteral("12-3456789");
        s.Form3.Text9 = QStringLiteral(" 1234567 ");
    }

    // Quarter 3 of 2024; the employer name's comma and period as blanks; ZIP+4 as nine digits; the phone's dashes
    // dropped; the State ID trimmed; the quarter's totals and tax due from the session and the totals window, not
    // from the rows; 1234.565 rounded half up; first name cut to 15 and last name to 20; accents folded; an
    // all-zero employee removed; LastName order regardless of case; CR LF after every record but the last, which
    // ends the file with the date.
    void twoEmployees_writtenByteForByte()
    {
        addTwoEmployees();
        QVERIFY2(write(), qPrintable(m_dialogs.messages().join(QLatin1Char('\n'))));
        QVERIFY(m_dialogs.calls().isEmpty());
        const QByteArray file = contentsOf(target());
        QCOMPARE(file.size(), 20 + 306 + 2 * 106 + 25 + 10);
        QCOMPARE(file.count("\r\n"), 5);
        COMPARE_BYTES(file, record00() + record01() +
                                record02("123456789", "JOSEPHINE-MARIE", "A", "ABERNATHY-WORTHINGTO", "00000123457",
                                         "00000100000") +
                                record02("234567890", "ZOE", " ", "BAKER", "00001134567", "00001134567") + record03() +
                                record99());
    }

    void emptyTable_writesFourRecords()
    {
        QVERIFY(write());
        const QByteArray file = contentsOf(target());
        QCOMPARE(file.size(), 361);
        COMPARE_BYTES(file, record00() + record01() + record03() + record99());
        QVERIFY(file.endsWith("20241015"));
    }

    void employerZipAndContactPhone_data()
    {
        QTest::addColumn<QString>("zip");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QByteArray>("zipWritten");
        QTest::addColumn<QByteArray>("phoneWritten");
        QTest::newRow("five-digit ZIP, ten digits typed") << QStringLiteral("32301") << QStringLiteral("9045551234")
                                                          << QByteArray("32301    ") << QByteArray("9045551234");
        QTest::newRow("nine digits, phone with blanks around")
            << QStringLiteral("323011234") << QStringLiteral(" 904-555-1234 ") << QByteArray("323011234")
            << QByteArray("9045551234");
        QTest::newRow("ZIP+4 with blanks around, phone with a dot")
            << QStringLiteral(" 32301-1234 ") << QStringLiteral("904.555.1234") << QByteArray("323011234")
            << QByteArray("9045551234");
        QTest::newRow("empty") << QString() << QString() << QByteArray("         ") << QByteArray("          ");
    }
    void employerZipAndContactPhone()
    {
        QFETCH(QString, zip);
        QFETCH(QString, phone);
        QFETCH(QByteArray, zipWritten);
        QFETCH(QByteArray, phoneWritten);
        session().frmTXMag.Text5 = zip;
        session().frmTXMag.Text14 = phone;
        QVERIFY(write());
        COMPARE_BYTES(contentsOf(target()).mid(20, 306), record01(zipWritten, phoneWritten));
    }

    // A missing value is a blank or a zero, never the employee's before; an empty tax due box is zero.
    void missingValues_writtenAsBlanksAndZeros()
    {
        addEmployee(QStringLiteral("'111111111', 'Adams', 'Ann', 'Lee', 7500000, 5000000"));
        addEmployee(QStringLiteral("'222222222', 'Baker', NULL, NULL, NULL, 2500000"));
        session().Form3.Text7.clear();
        QVERIFY2(write(), qPrintable(m_dialogs.messages().join(QLatin1Char('\n'))));
        const QByteArray file = contentsOf(target());
        COMPARE_BYTES(file.mid(20, 306), record01("323011234", "9045551234",
                                                  "000000001258024"
                                                  "00000023457"
                                                  "000000001234567"
                                                  "00000000000",
                                                  "00000000000"));
        COMPARE_BYTES(file.mid(326 + 106, 106), record02("222222222", "", " ", "BAKER", "00000000000", "00000025000"));
    }

    // The largest amounts that fit are written; one cent more stops the file.
    void valueThatCannotBeWritten_stopsTheFileNamingIt_data()
    {
        QTest::addColumn<QString>("employee");
        QTest::addColumn<qint64>("totalWages");
        QTest::addColumn<qint64>("taxableTotal");
        QTest::addColumn<QString>("taxDue");
        QTest::addColumn<QStringList>("messageParts");
        QTest::newRow("wages of one billion")
            << QStringLiteral("'222222222', 'Baker', 'Ann', '', 10000000000000, 0") << qint64(125802400)
            << qint64(123456700) << QStringLiteral("$382.72")
            << QStringList{QStringLiteral("Employee Baker, Ann (SS 222222222)"),
                           QStringLiteral("GrossWages (columns 48-58)"), QStringLiteral("1000000000")};
        QTest::newRow("negative taxable wages")
            << QStringLiteral("'222222222', 'Baker', 'Ann', '', 10000, -10000") << qint64(125802400)
            << qint64(123456700) << QStringLiteral("$382.72")
            << QStringList{QStringLiteral("Baker"), QStringLiteral("TaxableWages (columns 59-69)")};
        QTest::newRow("excess wages of one billion")
            << QString() << qint64(10000000000000) << qint64(0) << QStringLiteral("$382.72")
            << QStringList{QStringLiteral("employer record (01)"), QStringLiteral("Excess wages")};
        QTest::newRow("taxable above total") << QString() << qint64(10000) << qint64(20000) << QStringLiteral("$382.72")
                                             << QStringList{QStringLiteral("Excess wages"), QStringLiteral("negative")};
        QTest::newRow("tax due of one billion")
            << QString() << qint64(125802400) << qint64(123456700) << QStringLiteral("$1,000,000,000.00")
            << QStringList{QStringLiteral("Tax due (columns 178-188)")};
        QTest::newRow("tax due not an amount")
            << QString() << qint64(125802400) << qint64(123456700) << QStringLiteral("12 dollars")
            << QStringList{QStringLiteral("Tax due"), QStringLiteral("\"12 dollars\" is not an amount")};
    }
    void valueThatCannotBeWritten_stopsTheFileNamingIt()
    {
        QFETCH(QString, employee);
        QFETCH(qint64, totalWages);
        QFETCH(qint64, taxableTotal);
        QFETCH(QString, taxDue);
        QFETCH(QStringList, messageParts);
        addEmployee(QStringLiteral("'111111111', 'Adams', 'Al', '', 9999999999900, 9999999999900"));
        if (!employee.isEmpty()) {
            addEmployee(employee);
        }
        session().TotalWages = Currency::fromRaw(totalWages);
        session().TaxableTotal = Currency::fromRaw(taxableTotal);
        session().Form3.Text7 = taxDue;
        placeExistingFile();
        QVERIFY(!write());
        verifyStopped(messageParts, kApplicationTitle);
    }

    void missingStore_keepsTheExistingFileAndShowsTheError()
    {
        QVERIFY(QFile::remove(session().DataFolder + WageStore::kFileName));
        placeExistingFile();
        QVERIFY(!write());
        verifyErrorShown(QStringLiteral("Unexpected Error has occured in CreateICESAFile. Try Again."));
    }
};

QTEST_GUILESS_MAIN(TestCreateFLICESAFile)
#include "tst_createflicesafile.moc"
