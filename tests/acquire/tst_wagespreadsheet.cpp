#include "acquire/wagespreadsheet.h"
#include "app/session.h"
#include "tests/support/filebytes.h"
#include "tests/support/generatedpayroll.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"
#include "tests/support/workbookwriter.h"

#include <QTemporaryDir>
#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

const QVariantList kHeaders = {u"EIN"_s,      u"SUI Rate"_s,      u"SS"_s,         u"FirstName"_s,    u"MiddleName"_s,
                               u"LastName"_s, u"QuarterEnding"_s, u"GrossWages"_s, u"TaxableWages"_s, u"Month1"_s,
                               u"Month2"_s,   u"Month3"_s};
const QVariantList kEmployerHeaders = {u"EIN"_s,   u"Name"_s, u"Address"_s,  u"City"_s,
                                       u"State"_s, u"Zip"_s,  u"SutaRate"_s, u"StateID"_s};
const QVariantList kEmployer = {u"12-3456789"_s, u"ACME INC"_s, u"1 MAIN ST"_s, u"AUSTIN"_s,
                                u"TX"_s,         u"78701"_s,    u"2.7"_s,       u"12-345678-9"_s};
/// A wage row of the first quarter of 2024 that imports.
const QVariantList kGood = {
    u"12-3456789"_s, 2.7, u"123456789"_s, u"A"_s, QVariant(), u"B"_s, u"032024"_s, 100, 100, true, true, false};

/// `row` with the cell at `column` (0 for A) replaced.
QVariantList with(QVariantList row, int column, const QVariant& value)
{
    row[column] = value;
    return row;
}

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
        const QString path = m_files.filePath(u"w%1.xlsx"_s.arg(++counter));
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

    int employees() { return m_store->value(u"SELECT count(*) FROM Employee"_s).toInt(); }

    void expectImported(int stored)
    {
        QVERIFY2(m_dialogs.messages().isEmpty(), qPrintable(m_dialogs.messages().join(u'|')));
        QVERIFY(!session().DataError);
        QCOMPARE(employees(), stored);
    }

    void expectUnchanged(const QString& message)
    {
        QVERIFY(session().DataError);
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY2(m_dialogs.messages().first().startsWith(message), qPrintable(m_dialogs.messages().first()));
        QCOMPARE(employees(), 1);
        QCOMPARE(m_store->value(u"SELECT count(*) FROM Employer"_s).toInt(), 1);
        QCOMPARE(session().Rate, Currency::fromUnits(5));
        QCOMPARE(m_dialogs.busyDepth(), 0);
    }

    void refuseRowsWhen(const QString& condition)
    {
        QVERIFY(m_store->exec(u"CREATE TRIGGER refuse BEFORE INSERT ON Employee WHEN %1 BEGIN SELECT "
                              "RAISE(ABORT, 'refused by the store'); END"_s.arg(condition)));
    }

private Q_SLOTS:
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        m_dialogs = test::ScriptedDialogs();
        session().TaxYear = 2024;
        session().Quarter = u"1"_s;
        session().Rate = *Currency::fromUnits(5);
        QVERIFY(m_store->exec(u"INSERT INTO Employee (Name, GrossWages) VALUES ('EARLIER RUN', 10000)"_s));
        QVERIFY(m_store->exec(u"INSERT INTO Employer (Name) VALUES ('EARLIER RUN')"_s));
    }

    void rows_areStoredAsTheyStand()
    {
        const QVariantList ann = {u"12-3456789"_s, 2.7,    u"123456789"_s, u"ANN"_s, QVariant(), u"LEE, JR."_s,
                                  u"03/31/2024"_s, 1234.5, 1234.5,         true,     true,       false};
        // Only row 2 is checked: a later row with another EIN and period is taken as it is.
        const QVariantList bo = {u"98-7654321"_s, 2.7,     u"123456789"_s, u"BO"_s, u"Q"_s, u"DÍAZ"_s,
                                 u"062023"_s,     20000.0, 7000.0,         0,       true,   false};
        import(workbook({{ with(kHeaders, 0, u"EIN "_s), ann, bo }}));
        expectImported(3);
        QCOMPARE(session().Rate, *Currency::fromText(u"2.7"_s));
        QCOMPARE(
            m_store
                ->value(u"SELECT group_concat(Name || '|' || MiddleName || '|' || StateCode || '|' || UnitCode || "
                        "'|' || GrossWages || '|' || TaxableWages || '|' || QuarterEnding || '|' || Month1 || "
                        "Month2 || Month3, '/') FROM Employee WHERE FirstName <> ''"_s)
                .toString(),
            u"ANN   LEE, JR.| |  | |12345000|12345000|03/31/2024|110/BO Q DÍAZ|Q|  | |200000000|70000000|062023|010"_s);
    }

    /// A workbook refused leaves the store as it was; one taken adds its rows. No sheets at all stands for a file
    /// that is not a workbook.
    void workbooks_data()
    {
        QTest::addColumn<QList<test::SheetRows>>("sheets");
        QTest::addColumn<QString>("mode");        // qb: employer from QuickBooks; noqb: from the second sheet
        QTest::addColumn<QString>("refusedWhen"); // rows the store refuses
        QTest::addColumn<QString>("message");     // empty when the rows are taken
        QTest::addColumn<int>("stored");          // employees afterwards, the earlier run's included
        using Sheets = QList<test::SheetRows>;
        const auto row = [](const char* name, const Sheets& sheets, const QString& message, const char* mode = "",
                            const char* refusedWhen = "", int stored = 1) {
            QTest::newRow(name) << sheets << QString::fromLatin1(mode) << QString::fromLatin1(refusedWhen) << message
                                << stored;
        };
        // Empty rows at the end are no wage rows.
        const QVariantList emptyTexts(12, QString());
        row("two rows without cells", {{kHeaders, kGood, QVariantList(12), {}}}, QString(), "", "", 2);
        row("a row of empty texts", {{kHeaders, kGood, kGood, emptyTexts}}, QString(), "", "", 3);
        row("only empty rows below the header", {{kHeaders, emptyTexts}}, QString());
        const QString format = u"Invalid Format of Wages Spreadsheet"_s;
        const QString period = u"Quarter ending period on file doesn't match period you selected."_s;
        const QVariantList badMoney = with(kGood, 7, u"12,34.5"_s);
        const QVariantList refused = with(kGood, 5, u"REFUSED"_s);
        const char* const byName = "NEW.LastName = 'REFUSED'";
        const QString refusedRow3 =
            u"Create Wages From File The wage store could not take row 3: refused by the store"_s;
        const QString badMoneyRow3 = u"Create Wages From File Type mismatch: cell H3"_s;
        row("not a workbook", {}, u"Create Wages From File "_s);
        row("empty sheet", {{}}, format);
        row("lower-case header", {{with(kHeaders, 3, u"firstname"_s), kGood}}, format);
        row("last header", {{with(kHeaders, 11, u"Month 3"_s), kGood}}, format);
        row("date without leading zero", {{kHeaders, with(kGood, 6, u"3/31/2024"_s)}}, period);
        row("other quarter of the year", {{kHeaders, with(kGood, 6, u"062024"_s)}}, period);
        row("EIN other than QuickBooks'", {{kHeaders, kGood}}, u"EIN in file doesn't match EIN in QB"_s, "qb");
        row("empty month cell on row 3", {{kHeaders, kGood, with(kGood, 10, QVariant())}},
            u"Create Wages From File Type mismatch: cell K3"_s);
        row("amount that is not one", {{kHeaders, kGood, badMoney}}, badMoneyRow3);
        row("an empty row between wage rows", {{kHeaders, kGood, QVariantList(12), kGood}},
            u"Create Wages From File Type mismatch: cell H3 should hold an amount but holds \"\""_s);
        row("no employer sheet", {{kHeaders, kGood}}, u"Create Wages From File "_s, "noqb");
        row("employer sheet's last header", {{kHeaders, kGood}, {with(kEmployerHeaders, 7, u"State ID"_s), kEmployer}},
            u"Invalid Format of Employer Info Spreadsheet"_s, "noqb");
        row("a refused row", {{kHeaders, kGood, refused, kGood}}, refusedRow3, "", byName);
        row("a refused row, then a bad amount", {{kHeaders, kGood, refused, badMoney}}, refusedRow3, "", byName);
        row("a bad amount, then a refused row", {{kHeaders, kGood, badMoney, refused}}, badMoneyRow3, "", byName);
    }
    void workbooks()
    {
        QFETCH(QList<test::SheetRows>, sheets);
        QFETCH(QString, mode);
        QFETCH(QString, refusedWhen);
        QFETCH(QString, message);
        QFETCH(int, stored);
        session().StandAlone = mode == u"qb"_s;
        session().StandAlonenoqb = mode == u"noqb"_s;
        session().FedID = u"11-1111111"_s;
        if (!refusedWhen.isEmpty()) {
            refuseRowsWhen(refusedWhen);
        }
        QString path = m_files.filePath(u"notes.xlsx"_s);
        if (sheets.isEmpty()) {
            QVERIFY(test::writeBytes(path, "these are not the wages you are looking for"));
        } else {
            path = workbook(sheets);
        }
        import(path);
        if (message.isEmpty()) {
            expectImported(stored);
            QCOMPARE(session().Rate, stored == 1 ? Currency::fromUnits(5) : Currency::fromText(u"2.7"_s));
        } else {
            expectUnchanged(message);
        }
    }

    /// Long imports: rows go to the store in batches on another thread while the next ones are read.
    void longImports_stopWholly_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<qint64>("cancelAt");
        QTest::addColumn<QString>("message");
        QTest::newRow("cancelled at row 512 of 600")
            << 600 << qint64(512) << u"Create Wages From File Cancel was selected."_s;
        QTest::newRow("row 1502 of 3000 refused")
            << 3000 << qint64(-1)
            << u"Create Wages From File The wage store could not take row 1502: refused by the store"_s;
    }
    void longImports_stopWholly()
    {
        QFETCH(int, rows);
        QFETCH(qint64, cancelAt);
        QFETCH(QString, message);
        const QString path = m_files.filePath(u"generated.xlsx"_s);
        QVERIFY(test::writeGeneratedWorkbook(path, rows));
        session().TaxYear = 2025;
        if (cancelAt > 0) {
            m_dialogs.cancelProgressAt(cancelAt);
        } else {
            refuseRowsWhen(u"(SELECT count(*) FROM Employee) = 1501"_s);
        }
        import(path);
        expectUnchanged(message);
        if (cancelAt > 0) {
            QCOMPARE(m_dialogs.progressReported(), cancelAt);
        }
    }

    void employerSheet_fillsTheEmployerAndTheWindows()
    {
        session().StandAlonenoqb = true;
        session().FedID = u"not compared in this mode"_s;
        // A third row on the employer sheet is not read.
        import(workbook({{kHeaders, kGood}, { kEmployerHeaders, kEmployer, with(kEmployer, 1, u"OTHER"_s) }}));
        expectImported(2);
        QCOMPARE(m_store
                     ->value(u"SELECT CompanyID || '|' || EIN || '|' || Name || '|' || SutaRate || '|' || StateID "
                             "FROM Employer WHERE CompanyID = 1"_s)
                     .toString(),
                 u"1|12-3456789|ACME INC|2.7|12-345678-9"_s);
        const TransmitterWindowBoxes& boxes = session().frmTXMag;
        QCOMPARE((QStringList{session().Form3.Text8, session().Form3.Text9, boxes.Text1, boxes.Text2, boxes.Text3,
                              boxes.Text4, boxes.Text5, session().EmployerAddress}),
                 (QStringList{u"12-3456789"_s, u"12-345678-9"_s, u"ACME INC"_s, u"1 MAIN ST"_s, u"AUSTIN"_s, u"TX"_s,
                              u"78701"_s, u"ACME INC\r\n1 MAIN ST\r\nAUSTIN TX  78701"_s}));
    }

    void cancelledDialog_isAFailure()
    {
        OpenWageStore(session());
        ImportWageSpreadsheet(session(), m_dialogs);
        CloseWageStore(session());
        QVERIFY(session().DataError);
        QCOMPARE(m_dialogs.calls().first().text, u"Choose Quarterly Wages Spreadsheet"_s);
        QCOMPARE(m_dialogs.messages(), QStringList{u"Create Wages From File Cancel was selected."_s});
    }
};

QTEST_GUILESS_MAIN(TestWageSpreadsheet)
#include "tst_wagespreadsheet.moc"
