#include "app/session.h"
#include "tests/writers/expectedrecord.h"
#include "tests/writers/writerfixture.h"
#include "writers/createwacsvfile.h"

#include <QFile>
#include <QTest>

using namespace wagetrove;
using test::contentsOf;

class TestCreateWACSVFile : public QObject, public test::WriterFixture
{
    Q_OBJECT

public:
    TestCreateWACSVFile()
        : WriterFixture(
              QStringLiteral("WA-UTAX-2024-1.csv"),
              QStringLiteral(
                  "Name, SS, LastName, FirstName, MiddleName, TotalHours, GrossWages, TaxableWages, UnitCode"))
    {}

private:
    bool write() { return CreateWACSVFile(session(), m_dialogs, target()); }

private Q_SLOTS:
    void init()
    {
        resetWriter();
        session().StateAbbrev = QStringLiteral("WA");
    }

    // Name order (not LastName order); the SSN re-cut; commas in names as blanks, the middle name's periods
    // removed; accents folded; hours and wages in their plain forms; an all-zero employee removed; CR LF.
    void twoEmployees_writtenByteForByte()
    {
        addEmployee(QStringLiteral("'Zoë Adams', '234567890', 'Adams', 'Zoë', '', 400000, 12345000, 0, ''"));
        addEmployee(QStringLiteral("'Ann Cole', '555555555', 'Cole', 'Ann', '', 100000, 0, 0, '11-1011'"));
        addEmployee(QStringLiteral(
            "'john smith', '123456789', 'Smith, Jr.', 'John,Paul', 'a.', 1205000, 10000000, 0, '15-1252'"));
        QVERIFY2(write(), qPrintable(m_dialogs.messages().join(QLatin1Char('\n'))));
        QVERIFY(m_dialogs.calls().isEmpty());
        QCOMPARE(contentsOf(target()), QByteArray("123-45-6789,SMITH  JR.,JOHN PAUL,A,,120.5,1000,15-1252\r\n"
                                                  "234-56-7890,ADAMS,ZOE,,,40,1234.5,\r\n"));
    }

    void emptyTable_writesAnEmptyFile()
    {
        placeExistingFile();
        QVERIFY(write());
        QCOMPARE(contentsOf(target()), QByteArray());
    }

    // Missing values are empty fields or zero, never the employee's before; amounts keep their four decimals.
    void missingValuesAndSmallAmounts()
    {
        addEmployee(QStringLiteral("'a', '111111111', 'Adams', 'Al', 'B', 1000, 5, 5, '15-1252'"));
        addEmployee(QStringLiteral("'b', NULL, NULL, NULL, NULL, NULL, 1234567, NULL, NULL"));
        QVERIFY(write());
        QCOMPARE(contentsOf(target()), QByteArray("111-11-1111,ADAMS,AL,B,,0.1,0.0005,15-1252\r\n"
                                                  ",,,,,0,123.4567,\r\n"));
    }

    void valueThatCannotBeWritten_stopsTheFileNamingIt_data()
    {
        QTest::addColumn<QString>("employee");
        QTest::addColumn<QStringList>("messageParts");
        QTest::newRow("eight-digit SSN") << QStringLiteral("'b', '12345678', 'Baker', 'Ann', '', 0, 10000, 0, ''")
                                         << QStringList{QStringLiteral("Employee Baker, Ann (SS 12345678)"),
                                                        QStringLiteral("is not nine digits")};
        QTest::newRow("SSN with dashes") << QStringLiteral("'b', '123-45-6789', 'Baker', 'Ann', '', 0, 10000, 0, ''")
                                         << QStringList{QStringLiteral("Baker"),
                                                        QStringLiteral("\"123-45-6789\" is not nine digits")};
        QTest::newRow("negative wages") << QStringLiteral("'b', '222222222', 'Baker', 'Ann', '', 0, -10000, 0, ''")
                                        << QStringList{QStringLiteral("Baker"),
                                                       QStringLiteral("GrossWages -1 is negative")};
        QTest::newRow("negative hours") << QStringLiteral("'b', '222222222', 'Baker', 'Ann', '', -5000, 10000, 0, ''")
                                        << QStringList{QStringLiteral("Baker"),
                                                       QStringLiteral("TotalHours -0.5 is negative")};
        QTest::newRow("comma in SOC code")
            << QStringLiteral("'b', '222222222', 'Baker', 'Ann', '', 0, 10000, 0, '15-1252,1'")
            << QStringList{QStringLiteral("Baker"), QStringLiteral("SOC code \"15-1252,1\" holds a comma")};
    }
    void valueThatCannotBeWritten_stopsTheFileNamingIt()
    {
        QFETCH(QString, employee);
        QFETCH(QStringList, messageParts);
        addEmployee(QStringLiteral("'a', '111111111', 'Adams', 'Al', '', 0, 10000, 0, ''"));
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
        verifyErrorShown(QStringLiteral("Unexpected Error has occured in CreateWACSVFile. Try Again."));
    }
};

QTEST_GUILESS_MAIN(TestCreateWACSVFile)
#include "tst_createwacsvfile.moc"
