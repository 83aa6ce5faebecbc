#include "app/session.h"
#include "tests/writers/expectedrecord.h"
#include "tests/writers/writerfixture.h"
#include "writers/createmaicesafile.h"

#include <QFile>
#include <QTest>

using namespace wagetrove;
using test::contentsOf;
using test::Expected;

namespace {

constexpr int kRecord = 275;

struct Withholding
{
    QByteArray hours;
    QByteArray wages;
    QByteArray amount;
    QByteArray owner;
    QByteArray months;
};

QByteArray recordS(const QByteArray& ss, const QByteArray& last, const QByteArray& first, const QByteArray& middle,
                   const QByteArray& gross, const Withholding& more, const QByteArray& stateId = "12345678",
                   const QByteArray& quarter = "122024")
{
    return Expected(kRecord)
        .at(1, "S")
        .at(2, ss)
        .padded(11, last, 20)
        .padded(31, first, 12)
        .at(43, middle)
        .blanks(44, 2)
        .at(46, "0")
        .blanks(47, 3)
        .at(50, gross)
        .blanks(64, 68)
        .at(132, more.hours)
        .blanks(135, 12)
        .padded(147, stateId, 8)
        .blanks(155, 7)
        .at(162, "0000")
        .blanks(166, 11)
        .at(177, more.wages)
        .at(191, more.amount)
        .blanks(205, 5)
        .at(210, more.owner)
        .blanks(211, 1)
        .at(212, more.months)
        .at(215, quarter)
        .blanks(221, 54)
        .at(275, "\r");
}

} // namespace

class TestCreateMAICESAFile : public QObject, public test::WriterFixture
{
    Q_OBJECT

public:
    TestCreateMAICESAFile()
        : WriterFixture(QStringLiteral("MA-Quest.txt"),
                        QStringLiteral("SS, LastName, FirstName, MiddleName, GrossWages, TaxableWages, TotalHours, "
                                       "SWHWages, SWHAmount, Owner, Month1, Month2, Month3"))
    {}

private:
    bool write() { return CreateMAICESAFile(session(), m_dialogs, target()); }

private Q_SLOTS:
    void init()
    {
        resetWriter();
        Session& s = session();
        s.StateFips = QStringLiteral("25");
        s.Quarter = QStringLiteral("4");
        s.ToMonthYear = QStringLiteral("122024");
        s.Form3.Text9 = QStringLiteral(" 12345678 ");
    }

    // Quarter 4 of 2024; hours 520 and 40.5 (rounded half up); withholding wages and amount; the owner's first
    // character; monthly flags; the State ID trimmed; an all-zero employee removed; LastName order regardless of
    // case; a carriage return ends each record and no line feed appears.
    void twoEmployees_writtenByteForByte()
    {
        addEmployee(QStringLiteral("'234567890', 'baker', 'Zoë', '', 113456700, 0, 405000, 113456700, 5672800, "
                                   "'0', 0, 1, 1"));
        addEmployee(QStringLiteral("'555555555', 'Cole', 'Nobody', '', 0, 0, 100000, 0, 0, '0', 1, 1, 1"));
        addEmployee(QStringLiteral("'123456789', 'Abernathy-Worthington', 'José', 'anne', 12345650, 0, 5200000, "
                                   "12345650, 617250, 'Yes', 1, 1, 0"));
        QVERIFY2(write(), qPrintable(m_dialogs.messages().join(QLatin1Char('\n'))));
        QVERIFY(m_dialogs.calls().isEmpty());
        const QByteArray file = contentsOf(target());
        QCOMPARE(file.size(), 550);
        QCOMPARE(file[274], '\r');
        QCOMPARE(file[549], '\r');
        QVERIFY(!file.contains('\n'));
        COMPARE_FILE(target(),
                     recordS("123456789", "ABERNATHY-WORTHINGTO", "JOSE", "A", "00000000123457",
                             {"520", "00000000123457", "00000000006173", "Y", "110"}) +
                         recordS("234567890", "BAKER", "ZOE", " ", "00000001134567",
                                 {"041", "00000001134567", "00000000056728", "0", "011"}),
                     kRecord);
    }

    void emptyTable_writesAnEmptyFile()
    {
        placeExistingFile();
        QVERIFY(write());
        QCOMPARE(contentsOf(target()), QByteArray());
    }

    // Quarter 1; a State ID cut to eight; missing values blank, zero or not worked.
    void stateIdFirstQuarterAndMissingValues()
    {
        addEmployee(QStringLiteral("'111111111', 'Adams', NULL, NULL, 500000, NULL, NULL, NULL, NULL, NULL, NULL, "
                                   "NULL, NULL"));
        session().Form3.Text9 = QStringLiteral("123456789");
        session().Quarter = QStringLiteral("1");
        session().ToMonthYear = QStringLiteral("032025");
        QVERIFY(write());
        COMPARE_FILE(target(),
                     recordS("111111111", "ADAMS", "", " ", "00000000005000",
                             {"000", "00000000000000", "00000000000000", " ", "000"}, "12345678", "032025"),
                     kRecord);
    }

    void hours_data()
    {
        QTest::addColumn<qint64>("hours");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("zero") << qint64(0) << QByteArray("000");
        QTest::newRow("under a half") << qint64(4'4999) << QByteArray("004");
        QTest::newRow("999.4") << qint64(999'4000) << QByteArray("999");
    }
    void hours()
    {
        QFETCH(qint64, hours);
        QFETCH(QByteArray, written);
        addEmployee(QStringLiteral("'111111111', 'Adams', 'Al', '', 10000, 0, %1, 0, 0, '0', 1, 1, 1").arg(hours));
        QVERIFY(write());
        QCOMPARE(contentsOf(target()).mid(131, 3), written);
    }

    void valueThatCannotBeWritten_stopsTheFileNamingIt_data()
    {
        QTest::addColumn<QString>("employee");
        QTest::addColumn<QStringList>("messageParts");
        QTest::newRow("hours rounding to 1,000")
            << QStringLiteral("'222222222', 'Baker', 'Ann', '', 10000, 0, 9995000, 0, 0, '0', 1, 1, 1")
            << QStringList{QStringLiteral("Employee Baker, Ann (SS 222222222)"),
                           QStringLiteral("TotalHours (columns 132-134)")};
        QTest::newRow("negative hours") << QStringLiteral(
                                               "'222222222', 'Baker', 'Ann', '', 10000, 0, -10000, 0, 0, '0', 1, 1, 1")
                                        << QStringList{QStringLiteral("Baker"), QStringLiteral("TotalHours")};
        QTest::newRow("negative withholding")
            << QStringLiteral("'222222222', 'Baker', 'Ann', '', 10000, 0, 0, 10000, -100, '0', 1, 1, 1")
            << QStringList{QStringLiteral("Baker"), QStringLiteral("SWHAmount (columns 191-204)"),
                           QStringLiteral("negative")};
        QTest::newRow("withholding wages of a trillion")
            << QStringLiteral("'222222222', 'Baker', 'Ann', '', 10000, 0, 0, 10000000000000000, 0, '0', 1, 1, 1")
            << QStringList{QStringLiteral("Baker"), QStringLiteral("SWHWages (columns 177-190)")};
    }
    void valueThatCannotBeWritten_stopsTheFileNamingIt()
    {
        QFETCH(QString, employee);
        QFETCH(QStringList, messageParts);
        addEmployee(QStringLiteral("'111111111', 'Adams', 'Al', '', 10000, 0, 9994999, 9999999999999900, "
                                   "9999999999999900, '0', 1, 1, 1"));
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
        verifyErrorShown(QStringLiteral("Unexpected Error has occured in CreateMAICESAFile. Try Again."));
    }
};

QTEST_GUILESS_MAIN(TestCreateMAICESAFile)
#include "tst_createmaicesafile.moc"
