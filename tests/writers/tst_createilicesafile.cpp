#include "app/session.h"
#include "tests/writers/expectedrecord.h"
#include "tests/writers/writerfixture.h"
#include "writers/createilicesafile.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace wagetrove;
using wagetrove::test::Expected;

namespace {

constexpr int kRecord = 276;
const QDate kToday(2024, 7, 15);

using test::contentsOf;

Expected record()
{
    return Expected(kRecord);
}

QByteArray recordA(const QByteArray& zip = "60601", const QByteArray& zipExt = "     ")
{
    return record()
        .at(1, "A")
        .at(2, "2024")
        .at(6, "987654321")
        .at(15, "UTAX")
        .blanks(19, 5)
        .padded(24, "Payroll Services LLC", 50)
        .padded(74, "200 Oak Ave", 40)
        .padded(114, "Chicago", 25)
        .at(139, "IL")
        .blanks(141, 13)
        .at(154, zip)
        .at(159, zipExt)
        .padded(164, "Pat Jones", 30)
        .at(194, "3125551234")
        .blanks(204, 4)
        .blanks(208, 6)
        .at(214, "Y")
        .blanks(215, 28)
        .at(243, "07152024")
        .blanks(251, 25)
        .blanks(276, 1);
}

QByteArray recordB()
{
    return record()
        .at(1, "B")
        .at(2, "2024")
        .at(6, "987654321")
        .blanks(15, 13)
        .at(28, "ASC")
        .blanks(31, 4)
        .at(35, "UTAX")
        .blanks(39, 108)
        .padded(147, "Payroll Services LLC", 44)
        .padded(191, "200 Oak Ave", 35)
        .padded(226, "Chicago", 20)
        .at(246, "IL")
        .blanks(248, 5)
        .at(253, "60601")
        .blanks(258, 5)
        .at(263, "ED")
        .blanks(265, 12);
}

QByteArray recordE(const QByteArray& zipExt = "-1234", const QByteArray& quarterEnd = "06")
{
    return record()
        .at(1, "E")
        .at(2, "2024")
        .at(6, "123456789")
        .blanks(15, 9)
        .padded(24, "Acme Widgets Inc", 50)
        .padded(74, "100 Main St", 40)
        .padded(114, "Springfield", 25)
        .at(139, "IL")
        .blanks(141, 8)
        .at(149, zipExt)
        .at(154, "62701")
        .blanks(159, 8)
        .at(167, "UTAX")
        .at(171, "17")
        .at(173, "1234567  ")
        .blanks(182, 6)
        .at(188, quarterEnd)
        .at(190, "0")
        .at(191, "T")
        .blanks(192, 84)
        .blanks(276, 1);
}

QByteArray recordS(const QByteArray& ss, const QByteArray& last, const QByteArray& first, const QByteArray& middle,
                   const QByteArray& gross, const QByteArray& taxable, const QByteArray& months)
{
    return record()
        .at(1, "S")
        .at(2, ss)
        .padded(11, last, 20)
        .padded(31, first, 12)
        .at(43, middle)
        .at(44, "17")
        .blanks(46, 4)
        .blanks(50, 14)
        .at(64, gross)
        .blanks(78, 14)
        .at(92, taxable)
        .blanks(106, 37)
        .at(143, "UTAX")
        .at(147, "1234567  ")
        .blanks(156, 56)
        .at(212, months)
        .at(215, "062024")
        .blanks(221, 55)
        .blanks(276, 1);
}

QByteArray recordT(const QByteArray& count, const QByteArray& gross, const QByteArray& excess,
                   const QByteArray& taxable, const QByteArray& rate, const QByteArray& due11, const QByteArray& due9)
{
    return record()
        .at(1, "T")
        .at(2, count)
        .at(9, "UTAX")
        .blanks(13, 14)
        .at(27, gross)
        .at(41, excess)
        .at(55, taxable)
        .blanks(69, 13)
        .at(82, rate)
        .at(88, due11)
        .at(101, "00000000000")
        .at(112, "00000000000")
        .at(123, "00000000000")
        .at(134, "00000000000")
        .blanks(145, 30)
        .at(175, due9)
        .blanks(186, 41)
        .at(227, "0000002")
        .at(234, "0000002")
        .at(241, "0000001")
        .blanks(248, 3)
        .at(251, "062024")
        .blanks(257, 1)
        .at(258, "0000000001")
        .at(268, "1234567")
        .blanks(275, 2);
}

QByteArray recordF(const QByteArray& count, const QByteArray& gross, const QByteArray& excess,
                   const QByteArray& taxable)
{
    return record()
        .at(1, "F")
        .at(2, count)
        .at(12, "0000000001")
        .at(22, "UTAX")
        .blanks(26, 15)
        .at(41, gross)
        .at(56, excess)
        .at(71, taxable)
        .blanks(86, 191);
}

} // namespace

class TestCreateILICESAFile : public QObject, public test::WriterFixture
{
    Q_OBJECT

public:
    TestCreateILICESAFile() : WriterFixture(QStringLiteral("L1234567.242"), test::kMonthlyWageColumns) {}

private:
    bool write() { return CreateILICESAFile(session(), m_dialogs, target(), kToday); }

    void addTwoEmployees()
    {
        addEmployee(QStringLiteral("'234567890', 'baker', 'Zoë', ' ', 113456700, 113456700, 0, 1, 1"));
        addEmployee(QStringLiteral("'555555555', 'Cole', 'Nobody', '', 0, 0, 1, 1, 1")); // removed as all zero
        addEmployee(
            QStringLiteral("'123456789', 'Abernathy-Worthington', 'José', 'anne', 12345650, 10000000, 1, 1, 0"));
    }

    QByteArray twoEmployeeRecords()
    {
        return recordS("123456789", "ABERNATHY-WORTHINGTO", "JOSE", "A", "00000000123457", "00000000100000", "110") +
               recordS("234567890", "BAKER", "ZOE", " ", "00000001134567", "00000001134567", "011");
    }

private Q_SLOTS:
    void init()
    {
        resetWriter();
        Session& s = session();
        s.StateFips = QStringLiteral("17");
        s.Quarter = QStringLiteral("2");
        s.ToMonthYear = QStringLiteral("062024");
        s.Rate = Currency::fromRaw(3'1000);
        s.frmTXMag = {QStringLiteral("Acme Widgets Inc"),
                      QStringLiteral("100 Main St"),
                      QStringLiteral("Springfield"),
                      QStringLiteral("IL"),
                      QStringLiteral("62701-1234"),
                      QStringLiteral("Payroll Services LLC"),
                      QStringLiteral("200 Oak Ave"),
                      QStringLiteral("Chicago"),
                      QStringLiteral("Pat Jones"),
                      QStringLiteral("pat@example.com"),
                      QStringLiteral("IL"),
                      QStringLiteral("60601"),
                      QStringLiteral("98-7654321"),
                      QStringLiteral("312-555-1234")};
        s.Form3.Text1 = QStringLiteral("2");
        s.Form3.Text3 = QStringLiteral("2");
        s.Form3.Text4 = QStringLiteral("1");
        s.Form3.Text8 = QStringLiteral("12-3456789");
        s.Form3.Text9 = QStringLiteral("1234567");
    }

    // Quarter 2 of 2024; ZIP with extension (employer) and without (transmitter); middle names "anne" and a single
    // blank; a 21-character last name; accented first names; 1234.565 rounded half up; State ID 1234567 in E, S
    // and T; taxable wages of 12345.67 at 3.1 percent; an all-zero employee removed; LastName order regardless of
    // case and of the order the rows were added.
    void twoEmployees_writtenByteForByte()
    {
        addTwoEmployees();
        QVERIFY(write());
        QVERIFY(m_dialogs.calls().isEmpty());

        const QByteArray file = contentsOf(target());
        QCOMPARE(file.size(), 1932);
        QVERIFY(!file.contains('\r') && !file.contains('\n'));
        for (const int record : {0, 2, 3, 4}) {
            QCOMPARE(file[record * kRecord + 275], ' ');
        }
        COMPARE_FILE(target(),
                     recordA() + recordB() + recordE() + twoEmployeeRecords() +
                         recordT("0000002", "00000001258024", "00000000023457", "00000001234567", ".03100",
                                 "0000000038272", "00000038272") +
                         recordF("0000000002", "000000001258024", "000000000023457", "000000001234567"),
                     kRecord);
    }

    // Also: the store left open by the validation is the one used.
    void emptyTable_writesFiveRecords()
    {
        session().Store.open(session().DataFolder + WageStore::kFileName);
        QVERIFY(write());
        QVERIFY(session().Store.isOpen());
        QCOMPARE(contentsOf(target()).size(), 1380);
        COMPARE_FILE(target(),
                     recordA() + recordB() + recordE() +
                         recordT("0000000", "00000000000000", "00000000000000", "00000000000000", ".03100",
                                 "0000000000000", "00000000000") +
                         recordF("0000000000", "000000000000000", "000000000000000", "000000000000000"),
                     kRecord);
    }

    void transmitterZipExtension_employerZipWithout_rateZero_fourthQuarter()
    {
        addTwoEmployees();
        session().frmTXMag.Text12 = QStringLiteral("60601-4321");
        session().frmTXMag.Text5 = QStringLiteral("62701");
        session().Rate = Currency();
        session().Quarter = QStringLiteral("4");
        session().ToMonthYear = QStringLiteral("122024");
        QVERIFY(write());
        const QByteArray file = contentsOf(target());
        QCOMPARE(file.first(kRecord), recordA("60601", "-4321"));
        QCOMPARE(file.mid(2 * kRecord, kRecord), recordE("     ", "12"));
        const QByteArray t = file.mid(5 * kRecord, kRecord);
        QCOMPARE(t.mid(81, 6), QByteArray(".00000"));
        QCOMPARE(t.mid(87, 13), QByteArray("0000000000000"));
        QCOMPARE(t.mid(174, 11), QByteArray("00000000000"));
        QCOMPARE(t.mid(250, 6), QByteArray("122024"));
        QCOMPARE(file.mid(3 * kRecord + 214, 6), QByteArray("122024"));
    }

    // Nothing of the named employee before them carries over into a missing value.
    void missingValues_writtenAsBlanksAndZeros()
    {
        addEmployee(QStringLiteral("'111111111', 'Adams', 'Ann', 'Lee', 7500000, 5000000, 1, 1, 1"));
        addEmployee(QStringLiteral("'222222222', 'Baker', NULL, NULL, NULL, 2500000, NULL, NULL, NULL"));
        addEmployee(QStringLiteral("NULL, NULL, 'Cy', '', 1000000, 1000000, 1, 0, 0"));
        QVERIFY2(write(), qPrintable(m_dialogs.messages().join(QLatin1Char('\n'))));
        const QByteArray file = contentsOf(target());
        QCOMPARE(file.size(), 8 * kRecord);
        QCOMPARE(file.mid(3 * kRecord, kRecord),
                 recordS("         ", "", "CY", " ", "00000000010000", "00000000010000", "100"));
        QCOMPARE(file.mid(4 * kRecord, kRecord),
                 recordS("111111111", "ADAMS", "ANN", "L", "00000000075000", "00000000050000", "111"));
        QCOMPARE(file.mid(5 * kRecord, kRecord),
                 recordS("222222222", "BAKER", "", " ", "00000000000000", "00000000025000", "000"));
    }

    void valueThatCannotBeWritten_stopsTheFileNamingIt_data()
    {
        QTest::addColumn<QString>("employee");
        QTest::addColumn<int>("rate");
        QTest::addColumn<QStringList>("messageParts");
        QTest::newRow("negative wage") << QStringLiteral("'222222222', 'Baker', 'Ann', '', -50000, 0, 1, 1, 1")
                                       << 3'1000
                                       << QStringList{
                                              QStringLiteral("Employee Baker, Ann (SS 222222222)"),
                                              QStringLiteral("GrossWages (columns 64-77): The amount -5 is negative")};
        QTest::newRow("wage too large") << QStringLiteral("'2', 'Baker', 'Ann', '', 10000000000000000, 0, 1, 1, 1")
                                        << 3'1000
                                        << QStringList{QStringLiteral("Baker"), QStringLiteral("1000000000000")};
        QTest::newRow("taxable above gross")
            << QStringLiteral("'2', 'Baker', 'Ann', '', 10000, 20000, 1, 1, 1") << 3'1000
            << QStringList{QStringLiteral("Excess wages"), QStringLiteral("-1")};
        QTest::newRow("rate of 100 percent")
            << QStringLiteral("'2', 'Baker', 'Ann', '', 10000, 10000, 1, 1, 1") << 100'0000
            << QStringList{QStringLiteral("Rate (columns 82-87): The rate 100")};
    }
    void valueThatCannotBeWritten_stopsTheFileNamingIt()
    {
        QFETCH(QString, employee);
        QFETCH(int, rate);
        QFETCH(QStringList, messageParts);
        addEmployee(QStringLiteral("'111111111', 'Adams', 'Al', '', 10000, 10000, 1, 1, 1"));
        addEmployee(employee);
        session().Rate = Currency::fromRaw(rate);
        placeExistingFile();
        QVERIFY(!write());
        for (const QString& part : messageParts) {
            verifyStopped({part});
        }
        QCOMPARE(m_dialogs.calls().first().title, kApplicationTitle);
    }

    void failureToWrite_leavesNoFileAndNamesThePathAndReason_data()
    {
        QTest::addColumn<QString>("target"); // under the output folder
        QTest::addColumn<QString>("reason");
        // Tests run as root, so a read-only folder would not stop the write: the target's folder is a file.
        QTest::newRow("its folder is a file")
            << QStringLiteral("not-a-folder/L1234567.242") << QStringLiteral("Not a directory");
        QTest::newRow("its folder is missing")
            << QStringLiteral("missing/L1234567.242") << QStringLiteral("No such file or directory");
        QTest::newRow("it is a folder") << QStringLiteral("a-folder") << QStringLiteral("it is a folder, not a file");
    }
    void failureToWrite_leavesNoFileAndNamesThePathAndReason()
    {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        QFile blocker(m_out.filePath(QStringLiteral("not-a-folder")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(QDir(m_out.path()).mkdir(QStringLiteral("a-folder")));
        const QString path = m_out.filePath(target);
        QVERIFY(!CreateILICESAFile(session(), m_dialogs, path, kToday));
        QCOMPARE(m_dialogs.calls().size(), 1);
        QCOMPARE(m_dialogs.calls().first().text,
                 QStringLiteral("Unexpected Error has occured in CreateICESAFile. Try Again.\r\n%1: %2")
                     .arg(QDir::toNativeSeparators(path), reason));
        QCOMPARE(m_dialogs.calls().first().title, QStringLiteral("Error"));
        QCOMPARE(QDir(m_out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{QStringLiteral("a-folder"), QStringLiteral("not-a-folder")}));
    }

    void missingStore_leavesTheExistingFileAndShowsTheError()
    {
        QVERIFY(QFile::remove(session().DataFolder + WageStore::kFileName));
        placeExistingFile();
        QVERIFY(!write());
        verifyStopped({QStringLiteral("Unexpected Error has occured in CreateICESAFile. Try Again.")});
        QCOMPARE(m_dialogs.calls().first().title, QStringLiteral("Error"));
    }

    void moreThan32767Employees_counted()
    {
        QVERIFY(m_store->exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32768) "
            "INSERT INTO Employee (SS, LastName, GrossWages, TaxableWages) SELECT printf('%09d', i), 'X', 10000, "
            "10000 FROM n")));
        QVERIFY(write());
        const QByteArray file = contentsOf(target());
        QCOMPARE(file.size(), (5 + 32768) * kRecord);
        QCOMPARE(file.mid(file.size() - 2 * kRecord + 1, 7), QByteArray("0032768"));
        QCOMPARE(file.mid(file.size() - kRecord + 1, 10), QByteArray("0000032768"));
    }
};

QTEST_GUILESS_MAIN(TestCreateILICESAFile)
#include "tst_createilicesafile.moc"
