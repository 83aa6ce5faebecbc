#include "app/session.h"
#include "app/statecatalogue.h"
#include "tests/writers/expectedrecord.h"
#include "tests/writers/writerfixture.h"
#include "writers/createicesafile.h"

#include <QFile>
#include <QTest>

using namespace wagetrove;
using wagetrove::test::contentsOf;
using wagetrove::test::Expected;
using wagetrove::test::letterAndBlanks;

namespace {

constexpr int kRecord = 277;
const QDate kToday(2024, 7, 15);

Expected record()
{
    return Expected(kRecord);
}

QByteArray recordA(const QByteArray& date)
{
    return record()
        .at(1, "A")
        .at(2, "2024")
        .at(6, "987654321")
        .at(15, "UTAX")
        .blanks(19, 5)
        .padded(24, "Payroll Services LLC", 50)
        .padded(74, "200 Oak Ave", 40)
        .padded(114, "Austin", 25)
        .at(139, "TX")
        .blanks(141, 13)
        .at(154, "78701")
        .blanks(159, 5)
        .padded(164, "Pat Jones", 30)
        .at(194, "5125551234")
        .blanks(204, 4)
        .blanks(208, 6)
        .at(214, "Y")
        .blanks(215, 28)
        .at(243, date)
        .blanks(251, 25)
        .crlf(276);
}

QByteArray recordE(const QByteArray& fips, const QByteArray& stateId)
{
    return record()
        .at(1, "E")
        .at(2, "2024")
        .at(6, "123456789")
        .blanks(15, 9)
        .padded(24, "Acme Widgets Inc", 50)
        .padded(74, "100 Main St", 40)
        .padded(114, "Dallas", 25)
        .at(139, "TX")
        .blanks(141, 8)
        .at(149, "-1234")
        .at(154, "75201")
        .blanks(159, 8)
        .at(167, "UTAX")
        .at(171, fips)
        .at(173, stateId)
        .blanks(182, 6)
        .at(188, "06")
        .at(190, "0")
        .blanks(191, 85)
        .crlf(276);
}

struct EmployeeBytes
{
    QByteArray ss, last, first, middle, gross, excess, taxable, months;
};

// Gross 1234.565 rounds half up; an accented first name and a 21-character last name; "anne" gives A, a single
// blank gives a blank; the second was added first and comes second in LastName order.
const EmployeeBytes kAbernathy{"123456789",      "ABERNATHY-WORTHINGTO", "JOSE",           "A",
                               "00000000123457", "00000000023457",       "00000000100000", "110"};
const EmployeeBytes kBaker{"234567890",      "BAKER",          "ZOE", " ", "00000001134567",
                           "00000000000000", "00000001134567", "011"};

/// S record; `kentucky` writes the gross wages twice and the excess wages.
QByteArray recordS(const EmployeeBytes& e, const QByteArray& fips, const QByteArray& stateId, bool kentucky)
{
    Expected s = record();
    s.at(1, "S").at(2, e.ss).padded(11, e.last, 20).padded(31, e.first, 12).at(43, e.middle).at(44, fips).blanks(46, 4);
    kentucky ? s.at(50, e.gross) : s.blanks(50, 14);
    s.at(64, e.gross);
    kentucky ? s.at(78, e.excess) : s.blanks(78, 14);
    return s.at(92, e.taxable)
        .blanks(106, 37)
        .at(143, "UTAX")
        .at(147, stateId)
        .blanks(156, 56)
        .at(212, e.months)
        .at(215, "062024")
        .blanks(221, 55)
        .crlf(276);
}

QByteArray recordF(const QByteArray& count, const QByteArray& gross, const QByteArray& taxable)
{
    return record()
        .at(1, "F")
        .at(2, count)
        .at(12, "0000000001")
        .at(22, "UTAX")
        .blanks(26, 15)
        .at(41, gross)
        .blanks(56, 15)
        .at(71, taxable)
        .blanks(86, 190)
        .crlf(276);
}

QByteArray letterRecord(char letter)
{
    return letterAndBlanks(letter, kRecord, "\r\n");
}

} // namespace

class TestCreateICESAFile : public QObject, public test::WriterFixture
{
    Q_OBJECT

public:
    TestCreateICESAFile() : WriterFixture(QStringLiteral("QUICKFILE.TXT"), test::kMonthlyWageColumns) {}

private:
    bool write() { return CreateICESAFile(session(), m_dialogs, target(), kToday); }

    void useState(StateItem item, const char* fips)
    {
        session().StatePosition = positionOf(item);
        session().StateFips = QString::fromLatin1(fips);
    }

    void addTwoEmployees()
    {
        addEmployee(QStringLiteral("'234567890', 'baker', 'Zoë', ' ', 113456700, 113456700, 0, 1, 1"));
        addEmployee(QStringLiteral("'555555555', 'Cole', 'Nobody', '', 0, 0, 1, 1, 1")); // removed as all zero
        addEmployee(
            QStringLiteral("'123456789', 'Abernathy-Worthington', 'José', 'anne', 12345650, 10000000, 1, 1, 0"));
    }

private Q_SLOTS:
    void init()
    {
        resetWriter();
        Session& s = session();
        useState(StateItem::Texas, "48");
        s.Quarter = QStringLiteral("2");
        s.TaxYear = 2024;
        s.ToMonthYear = QStringLiteral("062024");
        s.Rate = Currency::fromRaw(3'1000);
        s.ModifiedRate = Currency::fromRaw(3'0250);
        s.frmTXMag = {QStringLiteral("Acme Widgets Inc"),
                      QStringLiteral("100 Main St"),
                      QStringLiteral("Dallas"),
                      QStringLiteral("TX"),
                      QStringLiteral("75201-1234"),
                      QStringLiteral("Payroll Services LLC"),
                      QStringLiteral("200 Oak Ave"),
                      QStringLiteral("Austin"),
                      QStringLiteral("Pat Jones"),
                      QStringLiteral("pat@example.com"),
                      QStringLiteral("TX"),
                      QStringLiteral("78701"),
                      QStringLiteral("98-7654321"),
                      QStringLiteral("512-555-1234")};
        s.Form3.Text1 = QStringLiteral("2");
        s.Form3.Text3 = QStringLiteral("2");
        s.Form3.Text4 = QStringLiteral("1");
        s.Form3.Text8 = QStringLiteral("12-3456789");
        s.Form3.Text9 = QStringLiteral("12-345678-9");
        s.Form3.Text10 = QStringLiteral("5");
        s.Form3.Text11 = QStringLiteral("3");
    }

    // Today's date in A; B; State ID 12-345678-9 as 123456789; no excess wages in S or T; county 5 as 005 and the
    // out-of-county count; taxable 12345.67 at 3.1 percent; CR LF after every record and nowhere else.
    void texas_twoEmployees_writtenByteForByte()
    {
        addTwoEmployees();
        QVERIFY(write());
        QVERIFY(m_dialogs.calls().isEmpty());
        const QByteArray file = contentsOf(target());
        QCOMPARE(file.size(), 7 * kRecord);
        QCOMPARE(file.count('\n'), 7);
        QCOMPARE(file.count('\r'), 7);
        const QByteArray recordT = record()
                                       .at(1, "T")
                                       .at(2, "0000002")
                                       .at(9, "UTAX")
                                       .blanks(13, 14)
                                       .at(27, "00000001258024")
                                       .blanks(41, 14)
                                       .at(55, "00000001234567")
                                       .blanks(69, 13)
                                       .at(82, ".03100")
                                       .at(88, "0000000038272")
                                       .blanks(101, 126)
                                       .at(227, "0000002")
                                       .at(234, "0000002")
                                       .at(241, "0000001")
                                       .at(248, "005")
                                       .at(251, "0000003")
                                       .blanks(258, 18)
                                       .crlf(276);
        COMPARE_FILE(target(),
                     recordA("07152024") + letterRecord('B') + recordE("48", "123456789") +
                         recordS(kAbernathy, "48", "123456789", false) + recordS(kBaker, "48", "123456789", false) +
                         recordT + recordF("0000000002", "000000001258024", "000000001234567"),
                     kRecord);
    }

    // No B; A dated the last day of the quarter; gross twice and excess wages in S; State ID 1234567 as 001234567;
    // in 2024 the rate without the 0.075 percent fund share and that share filed apart as "00075"; the session's
    // Rate left as it was, so a second file comes out the same.
    void kentucky_twoEmployees_writtenByteForByte()
    {
        useState(StateItem::Kentucky, "21");
        session().Form3.Text9 = QStringLiteral("1234567");
        addTwoEmployees();
        QVERIFY(write());
        QVERIFY(m_dialogs.calls().isEmpty());
        const QByteArray recordT = record()
                                       .at(1, "T")
                                       .at(2, "0000002")
                                       .at(9, "UTAX")
                                       .at(13, "00000001258024")
                                       .blanks(27, 14)
                                       .at(41, "00000000023457")
                                       .at(55, "00000001234567")
                                       .at(69, "0000000037346")
                                       .at(82, ".03025")
                                       .blanks(88, 57)
                                       .at(145, "00075")
                                       .at(150, "00000000926")
                                       .blanks(161, 66)
                                       .at(227, "0000002")
                                       .at(234, "0000002")
                                       .at(241, "0000001")
                                       .blanks(248, 28)
                                       .crlf(276);
        const QByteArray expected = recordA("06302024") + recordE("21", "001234567") +
                                    recordS(kAbernathy, "21", "001234567", true) +
                                    recordS(kBaker, "21", "001234567", true) + recordT +
                                    recordF("0000000002", "000000001258024", "000000001234567");
        COMPARE_FILE(target(), expected, kRecord);
        QCOMPARE(session().Rate, Currency::fromRaw(3'1000));

        QVERIFY(write());
        COMPARE_FILE(target(), expected, kRecord);
    }

    void southCarolina_twoEmployees_writtenByteForByte()
    {
        useState(StateItem::SouthCarolina, "45");
        session().Form3.Text9 = QStringLiteral("1234567");
        addTwoEmployees();
        QVERIFY(write());
        COMPARE_FILE(target(),
                     recordA("07152024") + letterRecord('B') + recordE("45", "123456   ") +
                         recordS(kAbernathy, "45", "123456   ", false) + recordS(kBaker, "45", "123456   ", false) +
                         letterRecord('T') + letterRecord('F'),
                     kRecord);
    }

    void emptyTable_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("records");
        QTest::newRow("Texas") << int(StateItem::Texas) << 5;
        QTest::newRow("Kentucky") << int(StateItem::Kentucky) << 4;
        QTest::newRow("South Carolina") << int(StateItem::SouthCarolina) << 5;
    }
    void emptyTable()
    {
        QFETCH(int, state);
        QFETCH(int, records);
        useState(StateItem(state), "48");
        QVERIFY(write());
        const QByteArray file = contentsOf(target());
        QCOMPARE(file.size(), records * kRecord);
        const QByteArray totals = file.mid((records - 2) * kRecord, kRecord);
        const QByteArray final = file.mid((records - 1) * kRecord);
        QCOMPARE(totals.first(1), QByteArray("T"));
        if (StateItem(state) == StateItem::SouthCarolina) {
            QCOMPARE(final, letterRecord('F'));
            return;
        }
        QCOMPARE(totals.mid(1, 7), QByteArray("0000000"));
        QCOMPARE(final, recordF("0000000000", "000000000000000", "000000000000000"));
    }

    // Taxable wages of 10000.00 at 3.1 percent, without the fund share 3.025 percent: the T record's contributions,
    // rate and surcharge segment, and the A record's date, the last day of the quarter.
    void kentuckySurchargeByYearAndQuarter_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("quarter");
        QTest::addColumn<QByteArray>("date");
        QTest::addColumn<QByteArray>("contributionsAndRate");
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QByteArray>("surcharge");
        const QByteArray full = "0000000031000.03100";
        const QByteArray modified = "0000000030250.03025";
        const QByteArray none = QByteArray(5, ' ');
        const QByteArray noAmount = QByteArray(11, ' ');
        QTest::newRow("2013") << 2013 << "4" << QByteArray("12312013") << full << none << noAmount;
        QTest::newRow("2014") << 2014 << "1" << QByteArray("03312014") << full << QByteArray("00220")
                              << QByteArray("00000002200");
        QTest::newRow("2015") << 2015 << "3" << QByteArray("09302015") << full << QByteArray("00210")
                              << QByteArray("00000002100");
        QTest::newRow("2016 Q2") << 2016 << "2" << QByteArray("06302016") << full << QByteArray("00210")
                                 << QByteArray("00000002100");
        QTest::newRow("2016 Q3") << 2016 << "3" << QByteArray("09302016") << full << none << noAmount;
        QTest::newRow("2017") << 2017 << "1" << QByteArray("03312017") << full << none << noAmount;
        QTest::newRow("2018 Q2") << 2018 << "2" << QByteArray("06302018") << full << none << noAmount;
        QTest::newRow("2018 Q3") << 2018 << "3" << QByteArray("09302018") << modified << QByteArray("00075")
                                 << QByteArray("00000000750");
        QTest::newRow("2020") << 2020 << "4" << QByteArray("12312020") << modified << QByteArray("00075")
                              << QByteArray("00000000750");
        QTest::newRow("2021") << 2021 << "1" << QByteArray("03312021") << full << QByteArray("00000")
                              << QByteArray("00000000000");
        QTest::newRow("2022") << 2022 << "4" << QByteArray("12312022") << full << QByteArray("00000")
                              << QByteArray("00000000000");
        QTest::newRow("2023") << 2023 << "2" << QByteArray("06302023") << modified << QByteArray("00075")
                              << QByteArray("00000000750");
    }
    void kentuckySurchargeByYearAndQuarter()
    {
        QFETCH(int, year);
        QFETCH(QString, quarter);
        QFETCH(QByteArray, date);
        QFETCH(QByteArray, contributionsAndRate);
        QFETCH(QByteArray, code);
        QFETCH(QByteArray, surcharge);
        useState(StateItem::Kentucky, "21");
        addEmployee(QStringLiteral("'111111111', 'Adams', 'Al', '', 120000000, 100000000, 1, 1, 1"));
        session().TaxYear = qint16(year);
        session().Quarter = quarter;
        session().ToMonthYear = QString::fromLatin1(date.first(2) + date.last(4));
        QVERIFY(write());
        const QByteArray file = contentsOf(target());
        QCOMPARE(file.size(), 5 * kRecord);
        QCOMPARE(file.mid(242, 8), date);
        const QByteArray t = file.mid(3 * kRecord, kRecord);
        QCOMPARE(t.mid(68, 19), contributionsAndRate);
        QCOMPARE(t.mid(87, 139), QByteArray(57, ' ') + code + surcharge + QByteArray(66, ' '));
        QCOMPARE(session().Rate, Currency::fromRaw(3'1000));
    }

    void stateIdReshaped_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("stateId");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("Texas") << int(StateItem::Texas) << "12-345678-9" << QByteArray("123456789");
        QTest::newRow("Kentucky 6") << int(StateItem::Kentucky) << "123456" << QByteArray("00123456 ");
        QTest::newRow("Kentucky 7") << int(StateItem::Kentucky) << "123456A" << QByteArray("00123456A");
        QTest::newRow("Kentucky 8") << int(StateItem::Kentucky) << "12345678" << QByteArray("12345678 ");
        QTest::newRow("South Carolina") << int(StateItem::SouthCarolina) << "123456" << QByteArray("123456   ");
    }
    void stateIdReshaped()
    {
        QFETCH(int, state);
        QFETCH(QString, stateId);
        QFETCH(QByteArray, written);
        useState(StateItem(state), "48");
        session().Form3.Text9 = stateId;
        addEmployee(QStringLiteral("'111111111', 'Adams', 'Al', '', 10000, 10000, 1, 1, 1"));
        QVERIFY(write());
        const QByteArray file = contentsOf(target());
        const int e = StateItem(state) == StateItem::Kentucky ? 1 : 2;
        QCOMPARE(file.mid(e * kRecord + 172, 9), written);
        QCOMPARE(file.mid((e + 1) * kRecord + 146, 9), written);
    }

    void valueThatCannotBeWritten_stopsTheFileNamingIt_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("employee");
        QTest::addColumn<QString>("county");
        QTest::addColumn<QStringList>("messageParts");
        QTest::newRow("negative wage") << int(StateItem::Texas)
                                       << QStringLiteral("'222222222', 'Baker', 'Ann', '', -50000, 0, 1, 1, 1")
                                       << QStringLiteral("5")
                                       << QStringList{QStringLiteral("Texas wage file"),
                                                      QStringLiteral("Employee Baker, Ann (SS 222222222)"),
                                                      QStringLiteral("GrossWages (columns 64-77)")};
        QTest::newRow("Kentucky taxable above gross")
            << int(StateItem::Kentucky) << QStringLiteral("'222222222', 'Baker', 'Ann', '', 10000, 20000, 1, 1, 1")
            << QStringLiteral("5")
            << QStringList{QStringLiteral("Kentucky wage file"), QStringLiteral("Employee Baker, Ann"),
                           QStringLiteral("Excess wages"), QStringLiteral("-1")};
        QTest::newRow("county code of four digits")
            << int(StateItem::Texas) << QStringLiteral("'222222222', 'Baker', 'Ann', '', 10000, 10000, 1, 1, 1")
            << QStringLiteral("1005")
            << QStringList{QStringLiteral("The employer totals record (T)"),
                           QStringLiteral("County code (columns 248-250)")};
    }
    void valueThatCannotBeWritten_stopsTheFileNamingIt()
    {
        QFETCH(int, state);
        QFETCH(QString, employee);
        QFETCH(QString, county);
        QFETCH(QStringList, messageParts);
        useState(StateItem(state), "48");
        session().Form3.Text10 = county;
        addEmployee(QStringLiteral("'111111111', 'Adams', 'Al', '', 10000, 10000, 1, 1, 1"));
        addEmployee(employee);
        placeExistingFile();
        QVERIFY(!write());
        verifyStopped(messageParts);
    }

    // A state this writer does not write, and a missing store: the writer's own message, nothing written.
    void unexpectedFailure_showsItsOwnMessage_data()
    {
        QTest::addColumn<bool>("otherState");
        QTest::newRow("other state") << true;
        QTest::newRow("missing store") << false;
    }
    void unexpectedFailure_showsItsOwnMessage()
    {
        QFETCH(bool, otherState);
        if (otherState) {
            useState(StateItem::Illinois, "17");
        } else {
            QVERIFY(QFile::remove(session().DataFolder + WageStore::kFileName));
        }
        placeExistingFile();
        QVERIFY(!write());
        verifyStopped({QStringLiteral("Unexpected Error has occured in CreateICESAFile. Try Again.")});
        QCOMPARE(m_dialogs.calls().first().title, QStringLiteral("Error"));
    }
};

QTEST_GUILESS_MAIN(TestCreateICESAFile)
#include "tst_createicesafile.moc"
