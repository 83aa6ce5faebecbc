#include "app/datafolder.h"
#include "app/session.h"
#include "tests/support/testenvironment.h"
#include "tests/support/workbookwriter.h"
#include "tests/writers/writerfixture.h"
#include "writers/createmapfmlfile.h"
#include "writers/workbooktemplate.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace wagetrove;
using test::bytesOf;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kSheetPart = u"xl/worksheets/sheet1.xml"_s;
const QStringList kHeaderRows{
    u"Massachusetts Paid Family and Medical Leave - Employee Contribution Upload||||||||"_s,
    QStringLiteral("SSN|First Name|Last Name|Middle Initial|Suffix|YTD Wages|QTD Wages|Employer Medical Share %|"
                   "Employer Family Share %")};
// The employees of addEmployees() with "Med %" 50 and "Family %" 100: LastName order, the all-zero employee
// removed, a leading-zero SSN kept, names upper case with their accents and without a control character, wages as
// plain numbers.
const QStringList kFilledRows{u"123456789|AL|ADAMS|||5|0|50|100"_s, u"222222222|ANN & BO|COLE|||10000|7000|50|100"_s,
                              u"012345678|ZOË|ÖBERG|||1234.5|1234.5|50|100"_s};

// Every part of a workbook, unpacked, by name.
QMap<QString, QByteArray> partsOf(const QString& path)
{
    QMap<QString, QByteArray> parts;
    for (const auto& [name, content] : test::zipParts(path)) {
        parts.insert(QString::fromUtf8(name), content);
    }
    return parts;
}

} // namespace

class TestCreateMAPFMLFile : public QObject, public test::WriterFixture
{
    Q_OBJECT

public:
    TestCreateMAPFMLFile() : WriterFixture(u"PFML-1234567.xlsx"_s) {}

private:
    QString templatePath() { return session().DataFolder + kPfmlTemplateName; }
    QStringList rows() const { return test::sheetRowTexts(target(), 9); }

    void addEmployees()
    {
        WriterFixture::addEmployees(
            u"SS, LastName, FirstName, MiddleName, GrossWages, TaxableWages"_s,
            QStringLiteral("('012345678', 'Öberg', 'zoë', 'A', 12345000, 12345000), ('123456789', 'adams', 'al', '', "
                           "50000, 0), ('555555555', 'Nobody', 'Ned', '', 0, 0), ('222222222', 'Cole', 'Ann ' || "
                           "char(31) || '& Bo', '', 100000000, 70000000)"));
    }

    void verifyWritten()
    {
        QVERIFY2(CreateMAPFMLFile(session(), m_dialogs, target()),
                 qPrintable(m_dialogs.messages().join(QLatin1Char('\n'))));
        QVERIFY(m_dialogs.calls().isEmpty());
        QCOMPARE(m_dialogs.busyDepth(), 0);
    }

private Q_SLOTS:
    void init()
    {
        resetWriter();
        QVERIFY(QFile::copy(test::programFolder() + u"/PFML.xlsx"_s, templatePath()));
        session().Form3.Text6 = u"50"_s;
        session().Form3.Text7 = u"100"_s;
    }

    // The shares as typed: a number as a number, anything else as its text.
    void employees_filledFromRowThree_data()
    {
        QTest::addColumn<QString>("medical");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("numbers") << u"50"_s << kFilledRows;
        QTest::newRow("text") << u"half"_s
                              << QStringList{u"123456789|AL|ADAMS|||5|0|half|100"_s,
                                             u"222222222|ANN & BO|COLE|||10000|7000|half|100"_s,
                                             u"012345678|ZOË|ÖBERG|||1234.5|1234.5|half|100"_s};
    }
    void employees_filledFromRowThree()
    {
        QFETCH(QString, medical);
        QFETCH(QStringList, expected);
        addEmployees();
        session().Form3.Text6 = medical;
        verifyWritten();
        QCOMPARE(rows(), kHeaderRows + expected);
        // The SSN column's text style, so that a spreadsheet keeps the leading zero when the cell is edited.
        const QByteArray sheet = partsOf(target()).value(kSheetPart);
        QVERIFY(sheet.contains(R"(<c r="A5" s="2" t="inlineStr">)"));
        QVERIFY(!sheet.contains('\x1f'));
    }

    // With no employees the workbook is the template part for part; with employees only the sheet's rows differ;
    // a shorter second file carries no rows of the first, and the template itself never changes.
    void templateComesThroughUnchanged()
    {
        const QMap<QString, QByteArray> original = partsOf(templatePath());
        QVERIFY(original.contains(u"xl/styles.xml"_s));
        verifyWritten();
        QCOMPARE(partsOf(target()), original);

        addEmployees();
        verifyWritten();
        QMap<QString, QByteArray> filled = partsOf(target());
        const QByteArray sheet = filled.take(kSheetPart);
        const QByteArray templateSheet = original.value(kSheetPart);
        QVERIFY(sheet.startsWith(templateSheet.left(templateSheet.indexOf("</sheetData>"))));
        QMap<QString, QByteArray> others = original;
        others.remove(kSheetPart);
        QCOMPARE(filled, others);

        QVERIFY(m_store->exec(u"DELETE FROM Employee WHERE LastName <> 'Cole'"_s));
        verifyWritten();
        QCOMPARE(rows(), kHeaderRows + QStringList{kFilledRows.at(1)});
        QCOMPARE(partsOf(templatePath()), original);
    }

    // The target that cannot be written is tested with the other writers.
    void failure_isReportedAndWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("templateBytes"); // empty: no template
        QTest::addColumn<QStringList>("messageParts");
        QTest::newRow("template missing")
            << QByteArray() << QStringList{u"was not written"_s, u"PFML.xlsx is missing"_s};
        QTest::newRow("not a workbook") << QByteArray("PK not really") << QStringList{u"PFML.xlsx is not a workbook"_s};
    }
    void failure_isReportedAndWritesNothing()
    {
        QFETCH(QByteArray, templateBytes);
        QFETCH(QStringList, messageParts);
        addEmployees();
        QVERIFY(QFile::remove(templatePath()));
        if (!templateBytes.isEmpty()) {
            QVERIFY(test::writeBytes(templatePath(), templateBytes));
        }
        placeExistingFile();
        QVERIFY(!CreateMAPFMLFile(session(), m_dialogs, target()));
        verifyStopped(messageParts, kApplicationTitle);
    }

    // The last row a sheet holds is written; one more stops the workbook.
    void lastRowOfASheet()
    {
        WorkbookTemplate workbook(templatePath(), XlsxReader::kMaxRows);
        workbook.beginRow();
        workbook.addText(1, u"last"_s);
        try {
            workbook.beginRow();
            QFAIL("a row past the last one was started");
        } catch (const WorkbookTemplateError& error) {
            QCOMPARE(error.reason, u"A sheet holds no more than 1048576 rows."_s);
        }
    }

    // Two other readers take the file without a warning and read the same values (LibreOffice as shown, in the
    // template's formats).
    void otherSpreadsheetReaders_readTheSameValues()
    {
        const QString python = QStandardPaths::findExecutable(u"python3"_s, {u"/usr/bin"_s});
        const QString soffice = QStandardPaths::findExecutable(u"soffice"_s);
        if (python.isEmpty() || soffice.isEmpty()) {
            QSKIP("python3-openpyxl and LibreOffice are installed by scripts/install-deps.sh");
        }
        addEmployees();
        verifyWritten();
        QProcess openpyxl;
        openpyxl.start(python, {u"-W"_s, u"error"_s, u"-c"_s,
                                QStringLiteral("import openpyxl, sys\n"
                                               "sheet = openpyxl.load_workbook(sys.argv[1]).active\n"
                                               "for row in sheet.iter_rows(min_row=3, values_only=True):\n"
                                               "    print('|'.join('' if v is None else str(v) for v in row))\n"),
                                target()});
        QVERIFY(openpyxl.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(openpyxl.readAllStandardError()), QString());
        QCOMPARE(QString::fromUtf8(openpyxl.readAllStandardOutput()),
                 kFilledRows.join(QLatin1Char('\n')) + QLatin1Char('\n'));

        QProcess libreOffice;
        libreOffice.start(soffice, {u"-env:UserInstallation=file://"_s + m_out.filePath(u"lo"_s), u"--headless"_s,
                                    u"--convert-to"_s, u"csv:Text - txt - csv (StarCalc):44,34,76"_s, u"--outdir"_s,
                                    m_out.path(), target()});
        QVERIFY(libreOffice.waitForFinished(180000));
        QCOMPARE(bytesOf(m_out.filePath(u"PFML-1234567.csv"_s)),
                 QByteArray("Massachusetts Paid Family and Medical Leave - Employee Contribution Upload,,,,,,,,\n"
                            "SSN,First Name,Last Name,Middle Initial,Suffix,YTD Wages,QTD Wages,"
                            "Employer Medical Share %,Employer Family Share %\n"
                            "123456789,AL,ADAMS,,,5.00,0.00,50,100\n"
                            "222222222,ANN & BO,COLE,,,\"10,000.00\",\"7,000.00\",50,100\n"
                            "012345678,ZOË,ÖBERG,,,\"1,234.50\",\"1,234.50\",50,100\n"));
    }
};

QTEST_GUILESS_MAIN(TestCreateMAPFMLFile)
#include "tst_createmapfmlfile.moc"
