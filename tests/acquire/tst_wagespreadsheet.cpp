#include "acquire/wagespreadsheet.h"
#include "app/session.h"
#include "tests/support/generatedpayroll.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"
#include "tests/support/testenvironment.h"
#include "tests/support/workbookwriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace wagetrove;

namespace {

QVariantList headerRow()
{
    QVariantList row;
    for (const QString& header : wagesSheetHeaders()) {
        row << header;
    }
    return row;
}

QVariantList wageRow(const QString& ein, const QString& quarterEnding, const QString& first, const QVariant& middle,
                     const QString& last, double gross, double taxable, const QVariant& month1 = true)
{
    return {ein,  2.7,  QStringLiteral("123456789"), first, middle, last, quarterEnding, gross, taxable, month1,
            true, false};
}

QVariantList employerHeaderRow()
{
    QVariantList row;
    for (const QString& header : employerSheetHeaders()) {
        row << header;
    }
    return row;
}

const QVariantList kEmployerRow = {QStringLiteral("12-3456789"), QStringLiteral("ACME INC"),
                                   QStringLiteral("1 MAIN ST"),  QStringLiteral("AUSTIN"),
                                   QStringLiteral("TX"),         QStringLiteral("78701"),
                                   QStringLiteral("2.7"),        QStringLiteral("12-345678-9")};

} // namespace

class TestWageSpreadsheet : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_files;
    std::unique_ptr<test::StoreFixture> m_store;
    test::ScriptedDialogs m_dialogs;

    Session& session() { return m_store->session(); }

    QString workbook(const QList<test::SheetRows>& sheets)
    {
        static int counter = 0;
        const QString path = m_files.filePath(QStringLiteral("w%1.xlsx").arg(++counter));
        return test::writeWorkbook(path, sheets) ? path : QString();
    }

    /// Imports into a store that already holds one employee and one employer from an earlier run.
    void import(const QString& path)
    {
        QVERIFY(!path.isEmpty());
        session().MergeFiles = true;
        OpenWageStore(session());
        ImportWageSpreadsheetFile(session(), m_dialogs, path);
        CloseWageStore(session());
    }

    int employees() { return m_store->value(QStringLiteral("SELECT count(*) FROM Employee")).toInt(); }

    void expectUnchanged(const QString& message)
    {
        QVERIFY(session().DataError);
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY2(m_dialogs.messages().first().startsWith(message), qPrintable(m_dialogs.messages().first()));
        QCOMPARE(employees(), 1);
        QCOMPARE(m_store->value(QStringLiteral("SELECT count(*) FROM Employer")).toInt(), 1);
        QCOMPARE(session().Rate, Currency::fromUnits(5));
        QCOMPARE(m_dialogs.busyDepth(), 0);
    }

private Q_SLOTS:
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        m_dialogs = test::ScriptedDialogs();
        session().TaxYear = 2024;
        session().Quarter = QStringLiteral("1");
        session().Rate = *Currency::fromUnits(5);
        QVERIFY(m_store->exec(QStringLiteral("INSERT INTO Employee (Name, GrossWages) VALUES ('EARLIER RUN', 10000)")));
        QVERIFY(m_store->exec(QStringLiteral("INSERT INTO Employer (Name) VALUES ('EARLIER RUN')")));
    }

    void rows_areStoredAsTheyStand()
    {
        QVariantList header = headerRow();
        header[0] = QStringLiteral("EIN ");
        import(workbook(
            {{ header,
               wageRow(QStringLiteral("12-3456789"), QStringLiteral("032024"), QStringLiteral("ANN"), QVariant(),
                       QStringLiteral("LEE, JR."), 1234.5, 1234.5),
               wageRow(QStringLiteral("98-7654321"), QStringLiteral("062023"), QStringLiteral("BO"),
                       QStringLiteral("Q"), QStringLiteral("DÍAZ"), 20000.0, 7000.0, 0) }}));
        QVERIFY2(m_dialogs.messages().isEmpty(), qPrintable(m_dialogs.messages().join(QLatin1Char('|'))));
        QVERIFY(!session().DataError);
        QCOMPARE(session().Rate, *Currency::fromText(QStringLiteral("2.7")));
        QCOMPARE(employees(), 3);
        QCOMPARE(
            m_store
                ->value(QStringLiteral("SELECT Name || '|' || MiddleName || '|' || StateCode || '|' || UnitCode || "
                                       "'|' || GrossWages || '|' || QuarterEnding || '|' || Month1 || Month2 || "
                                       "Month3 FROM Employee WHERE FirstName = 'ANN'"))
                .toString(),
            QStringLiteral("ANN   LEE, JR.| |  | |12345000|032024|110"));
        // A later row with another EIN and period is taken as it is.
        QCOMPARE(m_store
                     ->value(QStringLiteral("SELECT Name || '|' || TaxableWages || '|' || Month1 FROM Employee WHERE "
                                            "FirstName = 'BO'"))
                     .toString(),
                 QStringLiteral("BO Q DÍAZ|70000000|0"));
    }

    void emptyRowsAtTheEnd_areNotWageRows_data()
    {
        QTest::addColumn<test::SheetRows>("rows");
        QTest::addColumn<int>("stored"); // employees afterwards, the earlier run's included
        const QVariantList good = wageRow(QStringLiteral("12-3456789"), QStringLiteral("032024"), QStringLiteral("A"),
                                          QVariant(), QStringLiteral("B"), 100, 100);
        const QVariantList emptyTexts(12, QString());
        QTest::newRow("two rows without cells")
            << test::SheetRows{headerRow(), good, QVariantList(12), QVariantList(12)} << 2;
        QTest::newRow("a row of empty texts") << test::SheetRows{headerRow(), good, good, emptyTexts} << 3;
        QTest::newRow("only empty rows below the header") << test::SheetRows{headerRow(), emptyTexts} << 1;
    }
    void emptyRowsAtTheEnd_areNotWageRows()
    {
        QFETCH(test::SheetRows, rows);
        QFETCH(int, stored);
        import(workbook({rows}));
        QVERIFY2(m_dialogs.messages().isEmpty(), qPrintable(m_dialogs.messages().join(QLatin1Char('|'))));
        QVERIFY(!session().DataError);
        QCOMPARE(employees(), stored);
    }

    void onlyHeaders_importsNothingAndKeepsTheRate()
    {
        import(workbook({{ headerRow() }}));
        QVERIFY(!session().DataError);
        QVERIFY(m_dialogs.messages().isEmpty());
        QCOMPARE(employees(), 1);
        QCOMPARE(session().Rate, Currency::fromUnits(5));
    }

    void quarterEnding_isCheckedOnRowTwo_data()
    {
        QTest::addColumn<QString>("quarterEnding");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("MMYYYY") << QStringLiteral("032024") << true;
        QTest::newRow("date") << QStringLiteral("03/31/2024") << true;
        QTest::newRow("short date") << QStringLiteral("3/31/2024") << false;
        QTest::newRow("other year") << QStringLiteral("032023") << false;
        QTest::newRow("other quarter") << QStringLiteral("062024") << false;
    }

    void quarterEnding_isCheckedOnRowTwo()
    {
        QFETCH(QString, quarterEnding);
        QFETCH(bool, accepted);
        import(workbook(
            {{ headerRow(),
               wageRow(QStringLiteral("12-3456789"), quarterEnding, QStringLiteral("A"), QVariant(),
                       QStringLiteral("B"), 1, 1) }}));
        if (accepted) {
            QVERIFY(m_dialogs.messages().isEmpty());
            QCOMPARE(employees(), 2);
        } else {
            expectUnchanged(QStringLiteral("Quarter ending period on file doesn't match period you selected."));
        }
    }

    void wrongWorkbooks_leaveTheStoreAsItWas_data()
    {
        QTest::addColumn<QList<test::SheetRows>>("sheets");
        QTest::addColumn<bool>("standAlone");
        QTest::addColumn<bool>("withoutQuickBooks");
        QTest::addColumn<QString>("message");
        const QVariantList good = wageRow(QStringLiteral("12-3456789"), QStringLiteral("032024"), QStringLiteral("A"),
                                          QVariant(), QStringLiteral("B"), 100, 100);
        QVariantList lowerCase = headerRow();
        lowerCase[3] = QStringLiteral("firstname");
        QVariantList emptyMonth = good;
        emptyMonth[10] = QVariant();
        QVariantList badMoney = good;
        badMoney[7] = QStringLiteral("12,34.5");
        QVariantList wrongEmployerHeader = employerHeaderRow();
        wrongEmployerHeader[6] = QStringLiteral("SUI Rate");
        QVariantList lastHeader = headerRow();
        lastHeader[11] = QStringLiteral("Month 3");
        QVariantList lastEmployerHeader = employerHeaderRow();
        lastEmployerHeader[7] = QStringLiteral("State ID");

        QTest::newRow("lower-case header") << QList<test::SheetRows>{{lowerCase, good}} << false << false
                                           << QStringLiteral("Invalid Format of Wages Spreadsheet");
        QTest::newRow("last header") << QList<test::SheetRows>{{lastHeader, good}} << false << false
                                     << QStringLiteral("Invalid Format of Wages Spreadsheet");
        QTest::newRow("employer sheet's last header")
            << QList<test::SheetRows>{{headerRow(), good}, {lastEmployerHeader, kEmployerRow}} << false << true
            << QStringLiteral("Invalid Format of Employer Info Spreadsheet");
        QTest::newRow("empty sheet") << QList<test::SheetRows>{{}} << false << false
                                     << QStringLiteral("Invalid Format of Wages Spreadsheet");
        QTest::newRow("empty month cell on row 3")
            << QList<test::SheetRows>{{headerRow(), good, emptyMonth}} << false << false
            << QStringLiteral("Create Wages From File Type mismatch: cell K3");
        QTest::newRow("amount that is not one")
            << QList<test::SheetRows>{{headerRow(), good, badMoney}} << false << false
            << QStringLiteral("Create Wages From File Type mismatch: cell H3");
        QTest::newRow("an empty row between wage rows")
            << QList<test::SheetRows>{{headerRow(), good, QVariantList(12), good}} << false << false
            << QStringLiteral("Create Wages From File Type mismatch: cell H3 should hold an amount but holds \"\"");
        QTest::newRow("EIN other than QuickBooks'") << QList<test::SheetRows>{{headerRow(), good}} << true << false
                                                    << QStringLiteral("EIN in file doesn't match EIN in QB");
        QTest::newRow("employer header SUI Rate")
            << QList<test::SheetRows>{{headerRow(), good}, {wrongEmployerHeader, kEmployerRow}} << false << true
            << QStringLiteral("Invalid Format of Employer Info Spreadsheet");
        QTest::newRow("no employer sheet") << QList<test::SheetRows>{{headerRow(), good}} << false << true
                                           << QStringLiteral("Create Wages From File ");
    }

    void wrongWorkbooks_leaveTheStoreAsItWas()
    {
        QFETCH(QList<test::SheetRows>, sheets);
        QFETCH(bool, standAlone);
        QFETCH(bool, withoutQuickBooks);
        QFETCH(QString, message);
        session().StandAlone = standAlone;
        session().StandAlonenoqb = withoutQuickBooks;
        session().FedID = QStringLiteral("11-1111111");
        import(workbook(sheets));
        expectUnchanged(message);
    }

    void refusedRow_stopsTheImportAtThatRow_data()
    {
        QTest::addColumn<QList<test::SheetRows>>("sheets");
        QTest::addColumn<QString>("refusedWhen");
        QTest::addColumn<QString>("message");
        const QVariantList good = wageRow(QStringLiteral("12-3456789"), QStringLiteral("032024"), QStringLiteral("A"),
                                          QVariant(), QStringLiteral("B"), 100, 100);
        QVariantList refused = good;
        refused[5] = QStringLiteral("REFUSED");
        QVariantList badMoney = good;
        badMoney[7] = QStringLiteral("12,34.5");
        const QString byName = QStringLiteral("NEW.LastName = 'REFUSED'");
        const QString refusedRow3 =
            QStringLiteral("Create Wages From File The wage store could not take row 3: refused by the store");
        QTest::newRow("a refused row") << QList<test::SheetRows>{{headerRow(), good, refused, good}} << byName
                                       << refusedRow3;
        QTest::newRow("a refused row, then a bad amount")
            << QList<test::SheetRows>{{headerRow(), good, refused, badMoney}} << byName << refusedRow3;
        QTest::newRow("a bad amount, then a refused row")
            << QList<test::SheetRows>{{headerRow(), good, badMoney, refused}} << byName
            << QStringLiteral("Create Wages From File Type mismatch: cell H3");
        QTest::newRow("row 1502 of 3000")
            << QList<test::SheetRows>{} << QStringLiteral("(SELECT count(*) FROM Employee) = 1501")
            << QStringLiteral("Create Wages From File The wage store could not take "
                              "row 1502: refused by the store");
    }
    void refusedRow_stopsTheImportAtThatRow()
    {
        QFETCH(QList<test::SheetRows>, sheets);
        QFETCH(QString, refusedWhen);
        QFETCH(QString, message);
        QVERIFY(m_store->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Employee WHEN %1 BEGIN SELECT "
                                             "RAISE(ABORT, 'refused by the store'); END")
                                  .arg(refusedWhen)));
        QString path = workbook(sheets);
        if (sheets.isEmpty()) {
            path = m_files.filePath(QStringLiteral("3000.xlsx"));
            QVERIFY(test::writeGeneratedWorkbook(path, 3000));
            session().TaxYear = 2025;
        }
        import(path);
        expectUnchanged(message);
    }

    void cancelledImport_leavesTheStoreAsItWas()
    {
        const QString path = m_files.filePath(QStringLiteral("600.xlsx"));
        QVERIFY(test::writeGeneratedWorkbook(path, 600));
        session().TaxYear = 2025;
        m_dialogs.cancelProgressAt(512);
        import(path);
        expectUnchanged(QStringLiteral("Create Wages From File Cancel was selected."));
        QCOMPARE(m_dialogs.progressReported(), 512);
    }

    void notAWorkbook_isReportedOnce()
    {
        const QString path = m_files.filePath(QStringLiteral("notes.xlsx"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("these are not the wages you are looking for");
        file.close();
        import(path);
        expectUnchanged(QStringLiteral("Create Wages From File "));
    }

    void employerSheet_fillsTheEmployerAndTheWindows()
    {
        session().StandAlonenoqb = true;
        session().FedID = QStringLiteral("not compared in this mode");
        import(workbook({{headerRow(), wageRow(QStringLiteral("12-3456789"), QStringLiteral("032024"),
                                               QStringLiteral("A"), QVariant(), QStringLiteral("B"), 100, 100)},
                         { employerHeaderRow(),
                           kEmployerRow,
                           kEmployerRow }}));
        QVERIFY2(m_dialogs.messages().isEmpty(), qPrintable(m_dialogs.messages().join(QLatin1Char('|'))));
        QCOMPARE(m_store
                     ->value(QStringLiteral("SELECT count(*) FROM Employer WHERE CompanyID = 1 AND EIN = "
                                            "'12-3456789' AND SutaRate = '2.7' AND StateID = '12-345678-9'"))
                     .toInt(),
                 1);
        QCOMPARE(session().Form3.Text8, QStringLiteral("12-3456789"));
        QCOMPARE(session().Form3.Text9, QStringLiteral("12-345678-9"));
        const TransmitterWindowBoxes& boxes = session().frmTXMag;
        QCOMPARE((QStringList{boxes.Text1, boxes.Text2, boxes.Text3, boxes.Text4, boxes.Text5}),
                 (QStringList{QStringLiteral("ACME INC"), QStringLiteral("1 MAIN ST"), QStringLiteral("AUSTIN"),
                              QStringLiteral("TX"), QStringLiteral("78701")}));
        QCOMPARE(session().EmployerAddress, QStringLiteral("ACME INC\r\n1 MAIN ST\r\nAUSTIN TX  78701"));
    }

    void cancelledDialog_isAFailure()
    {
        OpenWageStore(session());
        ImportWageSpreadsheet(session(), m_dialogs);
        CloseWageStore(session());
        QVERIFY(session().DataError);
        QCOMPARE(m_dialogs.calls().first().text, QStringLiteral("Choose Quarterly Wages Spreadsheet"));
        QCOMPARE(m_dialogs.messages(), QStringList{QStringLiteral("Create Wages From File Cancel was selected.")});
    }

    void shippedSample_imports()
    {
        session().StandAlonenoqb = true;
        session().TaxYear = 2025;
        import(test::programFolder() + QStringLiteral("/12-3456789-Sample-Wages.xlsx"));
        QVERIFY2(m_dialogs.messages().isEmpty(), qPrintable(m_dialogs.messages().join(QLatin1Char('|'))));
        QCOMPARE(employees(), 1 + 14);
        QCOMPARE(session().frmTXMag.Text1, QStringLiteral("SAMPLE COMPANY INC"));
    }
};

QTEST_GUILESS_MAIN(TestWageSpreadsheet)
#include "tst_wagespreadsheet.moc"
