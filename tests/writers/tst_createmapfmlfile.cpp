#include "app/datafolder.h"
#include "app/session.h"
#include "tests/support/testenvironment.h"
#include "tests/support/workbookwriter.h"
#include "tests/writers/expectedrecord.h"
#include "tests/writers/writerfixture.h"
#include "writers/createmapfmlfile.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <zip.h>

using namespace wagetrove;
using test::contentsOf;

namespace {

const QString kTitleRow =
    QStringLiteral("Massachusetts Paid Family and Medical Leave - Employee Contribution Upload||||||||");
const QString kHeaderRow = QStringLiteral("SSN|First Name|Last Name|Middle Initial|Suffix|YTD Wages|QTD Wages|"
                                          "Employer Medical Share %|Employer Family Share %");

// Every part of a workbook, unpacked, by name.
QMap<QString, QByteArray> partsOf(const QString& path)
{
    QMap<QString, QByteArray> parts;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive) {
        return parts;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        QByteArray bytes(qsizetype(stat.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        zip_fread(file, bytes.data(), stat.size);
        zip_fclose(file);
        parts.insert(QString::fromUtf8(stat.name), bytes);
    }
    zip_discard(archive);
    return parts;
}

QStringList rowsOf(const QString& path)
{
    return test::sheetRowTexts(path, 9);
}

} // namespace

class TestCreateMAPFMLFile : public QObject, public test::WriterFixture
{
    Q_OBJECT

public:
    TestCreateMAPFMLFile() : WriterFixture(QStringLiteral("PFML-1234567.xlsx"), test::kWageColumns) {}

private:
    QString templatePath() { return session().DataFolder + kPfmlTemplateName; }
    bool write() { return CreateMAPFMLFile(session(), m_dialogs, target()); }

    void addThreeEmployees()
    {
        addEmployee(QStringLiteral("'012345678', 'Öberg', 'zoë', 'A', 12345000, 12345000"));
        addEmployee(QStringLiteral("'123456789', 'adams', 'al', '', 50000, 0"));
        addEmployee(QStringLiteral("'555555555', 'Nobody', 'Ned', '', 0, 0"));
        addEmployee(QStringLiteral("'222222222', 'Cole', 'Ann & Bo', '', 100000000, 70000000"));
    }

    void verifyWritten()
    {
        QVERIFY2(write(), qPrintable(m_dialogs.messages().join(QLatin1Char('\n'))));
        QVERIFY(m_dialogs.calls().isEmpty());
        QCOMPARE(m_dialogs.busyDepth(), 0);
    }

private Q_SLOTS:
    void init()
    {
        resetWriter();
        QVERIFY(QFile::copy(test::programFolder() + QStringLiteral("/PFML.xlsx"), templatePath()));
        session().Form3.Text6 = QStringLiteral("50");
        session().Form3.Text7 = QStringLiteral("100");
    }

    // LastName order; the all-zero employee removed; a leading-zero SSN kept as text; names upper case with
    // their accents; wages as plain numbers; the two shares as typed.
    void employees_filledFromRowThree()
    {
        addThreeEmployees();
        verifyWritten();
        QCOMPARE(rowsOf(target()),
                 (QStringList{kTitleRow, kHeaderRow, QStringLiteral("123456789|AL|ADAMS|||5|0|50|100"),
                              QStringLiteral("222222222|ANN & BO|COLE|||10000|7000|50|100"),
                              QStringLiteral("012345678|ZOË|ÖBERG|||1234.5|1234.5|50|100")}));
        QVERIFY(partsOf(target())
                    .value(QStringLiteral("xl/worksheets/sheet1.xml"))
                    .contains(R"(<c r="A5" s="2" t="inlineStr"><is><t xml:space="preserve">012345678</t>)"));
        QCOMPARE(contentsOf(templatePath()), contentsOf(test::programFolder() + QStringLiteral("/PFML.xlsx")));
    }

    // A share that is not a number is written as the text typed.
    void shareTypedAsText_staysText()
    {
        addEmployee(QStringLiteral("'123456789', 'Adams', 'Al', '', 50000, 50000"));
        session().Form3.Text6 = QStringLiteral("half");
        verifyWritten();
        QCOMPARE(rowsOf(target()).last(), QStringLiteral("123456789|AL|ADAMS|||5|5|half|100"));
    }

    // With no employees the workbook is the template, part for part; with employees only the sheet differs.
    void templatePartsComeThroughUnchanged()
    {
        verifyWritten();
        const QMap<QString, QByteArray> original = partsOf(templatePath());
        QVERIFY(original.contains(QStringLiteral("xl/styles.xml")));
        QCOMPARE(partsOf(target()), original);

        addThreeEmployees();
        verifyWritten();
        QMap<QString, QByteArray> filled = partsOf(target());
        const QByteArray sheet = filled.take(QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY(sheet.startsWith(
            original.value(QStringLiteral("xl/worksheets/sheet1.xml"))
                .left(original.value(QStringLiteral("xl/worksheets/sheet1.xml")).indexOf("</sheetData>"))));
        QMap<QString, QByteArray> others = original;
        others.remove(QStringLiteral("xl/worksheets/sheet1.xml"));
        QCOMPARE(filled, others);
    }

    // Each file starts from a fresh copy of the template: a shorter second file carries no rows of the first.
    void secondShorterFile_hasNoStaleRows()
    {
        addThreeEmployees();
        verifyWritten();
        QVERIFY(m_store->exec(QStringLiteral("DELETE FROM Employee WHERE LastName <> 'Cole'")));
        verifyWritten();
        QCOMPARE(rowsOf(target()),
                 (QStringList{kTitleRow, kHeaderRow, QStringLiteral("222222222|ANN & BO|COLE|||10000|7000|50|100")}));
    }

    void failure_isReportedAndWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("templateBytes");
        QTest::addColumn<QStringList>("messageParts");
        QTest::newRow("template missing")
            << QByteArray() << QStringList{QStringLiteral("was not written"), QStringLiteral("PFML.xlsx is missing")};
        QTest::newRow("not a workbook") << QByteArray("PK not really")
                                        << QStringList{QStringLiteral("PFML.xlsx is not a workbook")};
    }
    void failure_isReportedAndWritesNothing()
    {
        QFETCH(QByteArray, templateBytes);
        QFETCH(QStringList, messageParts);
        addThreeEmployees();
        QVERIFY(QFile::remove(templatePath()));
        if (!templateBytes.isEmpty()) {
            QFile file(templatePath());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(templateBytes) == templateBytes.size());
        }
        placeExistingFile();
        QVERIFY(!write());
        verifyStopped(messageParts, kApplicationTitle);
    }

    void outputNotWritable_isReported()
    {
        addThreeEmployees();
        placeExistingFile();
        QVERIFY(!CreateMAPFMLFile(session(), m_dialogs, m_out.filePath(QStringLiteral("no such folder/x.xlsx"))));
        verifyErrorShown(kCreateMAPFMLFileError);
    }

    // Two other readers take the file without a warning and read the same values (LibreOffice as shown, in the
    // template's formats).
    void otherSpreadsheetReaders_readTheSameValues()
    {
        addThreeEmployees();
        verifyWritten();
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (python.isEmpty() || soffice.isEmpty()) {
            QSKIP("python3-openpyxl and LibreOffice are installed by scripts/install-deps.sh");
        }
        QProcess openpyxl;
        openpyxl.start(python, {QStringLiteral("-W"), QStringLiteral("error"), QStringLiteral("-c"),
                                QStringLiteral("import openpyxl, sys\n"
                                               "sheet = openpyxl.load_workbook(sys.argv[1]).active\n"
                                               "for row in sheet.iter_rows(min_row=3, values_only=True):\n"
                                               "    print('|'.join('' if v is None else str(v) for v in row))\n"),
                                target()});
        QVERIFY(openpyxl.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(openpyxl.readAllStandardError()), QString());
        QCOMPARE(QString::fromUtf8(openpyxl.readAllStandardOutput()),
                 QStringLiteral("123456789|AL|ADAMS|||5|0|50|100\n"
                                "222222222|ANN & BO|COLE|||10000|7000|50|100\n"
                                "012345678|ZOË|ÖBERG|||1234.5|1234.5|50|100\n"));

        QProcess libreOffice;
        libreOffice.setWorkingDirectory(m_out.path());
        libreOffice.start(soffice,
                          {QStringLiteral("-env:UserInstallation=file://") + m_out.filePath(QStringLiteral("lo")),
                           QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                           QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), QStringLiteral("--outdir"),
                           m_out.path(), target()});
        QVERIFY(libreOffice.waitForFinished(180000));
        QCOMPARE(contentsOf(m_out.filePath(QStringLiteral("PFML-1234567.csv"))),
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
