#include "app/commands.h"
#include "app/session.h"
#include "forms/fillwagelisting.h"
#include "forms/openfilledpdf.h"
#include "tests/support/filebytes.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

using namespace wagetrove;

namespace {

const QString kUnset = QStringLiteral("(unset)");

/// A written listing: its pages, every field's value by title (kUnset for a field without a value) and the
/// content of its appearance, which is what viewers and printers draw.
struct Listing
{
    int pages = 0;
    QMap<QString, QString> values;
    QMap<QString, QByteArray> drawn;
};

Listing readListing(const QString& path)
{
    QPDF pdf;
    pdf.processFile(QFile::encodeName(path).constData());
    Listing listing;
    listing.pages = static_cast<int>(QPDFPageDocumentHelper(pdf).getAllPages().size());
    for (QPDFFormFieldObjectHelper& field : QPDFAcroFormDocumentHelper(pdf).getFormFields()) {
        const QString title = QString::fromStdString(field.getFullyQualifiedName());
        listing.values.insert(title,
                              field.getValue().isNull() ? kUnset : QString::fromStdString(field.getValueAsString()));
        QPDFObjectHandle appearance = field.getObjectHandle().getKey("/AP").getKey("/N");
        if (appearance.isStream()) {
            const std::shared_ptr<Buffer> data = appearance.getStreamData(qpdf_dl_all);
            listing.drawn.insert(title, QByteArray(reinterpret_cast<const char*>(data->getBuffer()),
                                                   static_cast<qsizetype>(data->getSize())));
        }
    }
    return listing;
}

/// What a printer prints: the annotations flattened into the pages, then the pages' text.
QString printedText(const QString& path)
{
    const QString flattened = path + QStringLiteral(".flat.pdf");
    if (QProcess::execute(QStringLiteral("qpdf"), {QStringLiteral("--flatten-annotations=all"), path, flattened}) !=
        0) {
        return {};
    }
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), flattened, QStringLiteral("-")});
    text.waitForFinished();
    return QString::fromUtf8(text.readAllStandardOutput());
}

} // namespace

class TestFillWageListing : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::StoreFixture> m_store;
    test::ScriptedDialogs m_dialogs;
    std::unique_ptr<QTemporaryDir> m_out;

    Session& session() { return m_store->session(); }
    QString target() const { return m_out->filePath(kFilledWageListingName); }

    void addEmployee(const QString& values)
    {
        QVERIFY(m_store->exec(QStringLiteral("INSERT INTO Employee (Name, SS, LastName, FirstName, MiddleName, "
                                             "GrossWages, TaxableWages) VALUES (%1)")
                                  .arg(values)));
    }

    /// `count` employees of 100.00 gross and 50.00 taxable, named so that name order is the order added.
    void addEmployees(int count)
    {
        for (int i = 1; i <= count; ++i) {
            addEmployee(QStringLiteral("'EMP%1', '1000000%1', 'LAST%1', 'FIRST%1', '', 1000000, 500000")
                            .arg(i, 2, 10, QLatin1Char('0')));
        }
    }

    QStringList pageFiles() const
    {
        return QDir(m_store->session().DataFolder).entryList({QStringLiteral("FilledInWL?*.pdf")}, QDir::Files);
    }

    void fill()
    {
        QVERIFY2(FillWageListing(session(), m_dialogs, target()),
                 qPrintable(m_dialogs.messages().join(QLatin1Char('\n'))));
        QCOMPARE(m_dialogs.busyDepth(), 0);
    }

private Q_SLOTS:
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        m_dialogs = test::ScriptedDialogs();
        m_out = std::make_unique<QTemporaryDir>();
        session().AppFolder = test::programFolder() + QLatin1Char('/');
        session().DataFolderShort = session().DataFolder;
        session().EmployerAddress = QStringLiteral("ACME INC\r\n1 MAIN ST\r\nAUSTIN TX  78701");
        session().Form3.Text9 = QStringLiteral(" 1234567 ");
        session().Quarter = QStringLiteral("2");
        session().TaxYear = 2025;
    }

    void pages_data()
    {
        QTest::addColumn<int>("employees");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QStringList>("lastPageTotals");
        QTest::addColumn<QString>("lastPageLastLine"); // SS field of the last line filled, or empty
        QTest::addColumn<QStringList>("pageFiles");

        QTest::newRow("none") << 0 << 1 << QStringList{QStringLiteral("0.00"), QStringLiteral("0.00")} << QString()
                              << QStringList{};
        QTest::newRow("one page") << 17 << 1 << QStringList{QStringLiteral("1700.00"), QStringLiteral("850.00")}
                                  << QStringLiteral("17-1") << QStringList{};
        QTest::newRow("one line over") << 18 << 2 << QStringList{QStringLiteral("100.00"), QStringLiteral("50.00")}
                                       << QStringLiteral("1-1")
                                       << QStringList{QStringLiteral("FilledInWL1.pdf"),
                                                      QStringLiteral("FilledInWL2.pdf")};
        QTest::newRow("two full pages") << 34 << 2 << QStringList{QStringLiteral("1700.00"), QStringLiteral("850.00")}
                                        << QStringLiteral("17-1")
                                        << QStringList{QStringLiteral("FilledInWL1.pdf"),
                                                       QStringLiteral("FilledInWL2.pdf")};
        QTest::newRow("three pages") << 35 << 3 << QStringList{QStringLiteral("100.00"), QStringLiteral("50.00")}
                                     << QStringLiteral("1-1")
                                     << QStringList{QStringLiteral("FilledInWL1.pdf"),
                                                    QStringLiteral("FilledInWL2.pdf"),
                                                    QStringLiteral("FilledInWL3.pdf")};
    }

    void pages()
    {
        QFETCH(int, employees);
        QFETCH(int, pages);
        QFETCH(QStringList, lastPageTotals);
        QFETCH(QString, lastPageLastLine);
        QFETCH(QStringList, pageFiles);
        addEmployees(employees);
        fill();

        const Listing listing = readListing(target());
        QCOMPARE(listing.pages, pages);
        QCOMPARE(listing.values.size(), 110 * pages);
        for (int page = 1; page <= pages; ++page) {
            const QString p = QStringLiteral("-%1").arg(page);
            QCOMPARE(listing.values.value(QStringLiteral("19") + p), QString::number(page));
            QCOMPARE(listing.values.value(QStringLiteral("20") + p), QString::number(employees == 0 ? 0 : pages));
            QCOMPARE(listing.values.value(QStringLiteral("1") + p), session().EmployerAddress);
            QCOMPARE(listing.values.value(QStringLiteral("2") + p), QStringLiteral("1234567"));
            QCOMPARE(listing.values.value(QStringLiteral("3") + p), QStringLiteral("2"));
            QCOMPARE(listing.values.value(QStringLiteral("4") + p), QStringLiteral("2025"));
        }
        const QString last = QStringLiteral("-%1").arg(pages);
        QCOMPARE(listing.values.value(QStringLiteral("18-5") + last), lastPageTotals.at(0));
        QCOMPARE(listing.values.value(QStringLiteral("18-6") + last), lastPageTotals.at(1));
        if (!lastPageLastLine.isEmpty()) {
            QCOMPARE(listing.values.value(lastPageLastLine + last),
                     QStringLiteral("100-00-00%1").arg(employees, 2, 10, QLatin1Char('0')));
        }
        // The line after the last one filled is left blank.
        const int filledOnLast = employees - (pages - 1) * 17;
        if (filledOnLast < 17) {
            QCOMPARE(listing.values.value(QStringLiteral("%1-1").arg(filledOnLast + 1) + last), kUnset);
        }
        QCOMPARE(this->pageFiles(), pageFiles);
    }

    void lineValues_data()
    {
        QTest::addColumn<QString>("stateId");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        const auto row = [](const char* name, const QString& field, const QString& value,
                            const QString& stateId = QStringLiteral(" 1234567 ")) {
            QTest::newRow(name) << stateId << field << value;
        };

        // Name order puts ADAMS first, though added last.
        row("SS", QStringLiteral("1-1-1"), QStringLiteral("012-34-5678"));
        row("last name as stored", QStringLiteral("1-2-1"), QStringLiteral("adams"));
        row("first name as stored", QStringLiteral("1-3-1"), QStringLiteral("Zoë"));
        row("middle initial", QStringLiteral("1-4-1"), QStringLiteral("A"));
        row("gross below one", QStringLiteral("1-5-1"), QStringLiteral("0.50"));
        row("taxable rounded", QStringLiteral("1-6-1"), QStringLiteral("1234.57"));
        row("null middle name", QStringLiteral("2-4-1"), kUnset);
        row("empty middle name", QStringLiteral("3-4-1"), QStringLiteral(""));
        row("gross", QStringLiteral("3-5-1"), QStringLiteral("1234.50"));
        row("page gross", QStringLiteral("18-5-1"), QStringLiteral("11235.00"));
        row("page taxable", QStringLiteral("18-6-1"), QStringLiteral("8234.57"));
        // The account number is the totals window's State ID, QuickBooks' account only without one.
        row("totals window's State ID", QStringLiteral("2-1"), QStringLiteral("1234567"));
        row("QuickBooks account", QStringLiteral("2-1"), QStringLiteral("12-3456"), QStringLiteral("  "));
    }

    void lineValues()
    {
        QFETCH(QString, stateId);
        QFETCH(QString, field);
        QFETCH(QString, value);
        session().Form3.Text9 = stateId;
        session().StateAccountID = QStringLiteral("12-3456");
        addEmployee(QStringLiteral("'COLE', '222222222', 'Cole', 'Bo', NULL, 100000000, 70000000"));
        addEmployee(QStringLiteral("'DOE', '333333333', 'Doe', 'Jo', '', 12345000, 0"));
        addEmployee(QStringLiteral("'adams', '012345678', 'adams', 'Zoë', 'Anne', 5000, 12345678"));
        fill();
        QCOMPARE(readListing(target()).values.value(field), value);
    }

    // Every value is drawn into the page, so that it prints from any viewer and stays once flattened: the
    // characters a PDF string escapes escaped, control characters as blanks, amounts to the right, the middle
    // initial centred.
    void drawnValues_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("drawn");
        QTest::newRow("escaped") << QStringLiteral("1-2-1") << QByteArray("(O\\\\BRIEN \\(JR\\)) Tj");
        QTest::newRow("tab as a blank") << QStringLiteral("1-3-1") << QByteArray("(AN NE) Tj");
        QTest::newRow("centred") << QStringLiteral("1-4-1") << QByteArray("1 0 0 1 6.3 7.48 Tm\n(B) Tj");
        QTest::newRow("to the right") << QStringLiteral("1-5-1") << QByteArray("1 0 0 1 31.8 7.48 Tm\n(12345.00) Tj");
        QTest::newRow("line breaks") << QStringLiteral("1-1")
                                     << QByteArray("(ACME INC) Tj\n1 0 0 1 2 33.48 Tm\n(1 MAIN ST) Tj");
    }
    void drawnValues()
    {
        QFETCH(QString, field);
        QFETCH(QByteArray, drawn);
        addEmployee(
            QStringLiteral("'adams', '012345678', 'O\\BRIEN (JR)', 'AN' || char(9) || 'NE', 'B', 123450000, 0"));
        fill();
        const QByteArray content = readListing(target()).drawn.value(field);
        QVERIFY2(content.contains(drawn), content.constData());
    }

    void printedValues()
    {
        addEmployees(18);
        fill();
        const QString text = printedText(target());
        for (const QString& expected :
             {QStringLiteral("ACME INC"), QStringLiteral("AUSTIN TX"), QStringLiteral("1234567"),
              QStringLiteral("2025"), QStringLiteral("100-00-0017"), QStringLiteral("LAST17"),
              QStringLiteral("FIRST16"), QStringLiteral("1700.00"), QStringLiteral("850.00")}) {
            QVERIFY2(text.contains(expected), qPrintable(expected + QLatin1String(" not in:\n") + text));
        }
        QCOMPARE(text.count(QStringLiteral("QUARTERLY WAGE LISTING")), 2);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("message");

        QTest::newRow("form missing") << QStringLiteral("missing") << QStringLiteral("BlankWL.pdf could not be read");
        QTest::newRow("form not a PDF") << QStringLiteral("not a PDF")
                                        << QStringLiteral("BlankWL.pdf is not a PDF file");
        QTest::newRow("form without fields") << QStringLiteral("no fields") << QStringLiteral("is not a PDF form");
        QTest::newRow("page file not writable")
            << QStringLiteral("page") << QStringLiteral("Page 1 of the wage listing could not be written");
        QTest::newRow("result not writable")
            << QStringLiteral("result") << QStringLiteral("The wage listing could not be written");
        QTest::newRow("cancelled after a page")
            << QStringLiteral("cancel") << QStringLiteral("File creation cancelled");
    }

    void failures()
    {
        QFETCH(QString, failure);
        QFETCH(QString, message);
        addEmployees(18);
        QVERIFY(test::writeBytes(target(), "last quarter's file"));
        QTemporaryDir appFolder;
        const QString blank = appFolder.filePath(kBlankWageListingName);
        if (failure == QLatin1String("not a PDF")) {
            QFile file(blank);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a PDF");
        } else if (failure == QLatin1String("no fields")) {
            // A PDF page without any form: the page of the blank form's own text, its fields taken away.
            QPDF pdf;
            pdf.processFile(QFile::encodeName(session().AppFolder + kBlankWageListingName).constData());
            pdf.getRoot().removeKey("/AcroForm");
            QPDFWriter(pdf, QFile::encodeName(blank).constData()).write();
        }
        if (failure != QLatin1String("page") && failure != QLatin1String("result") &&
            failure != QLatin1String("cancel")) {
            session().AppFolder = appFolder.path() + QLatin1Char('/');
        }
        if (failure == QLatin1String("page")) {
            QVERIFY(QDir().mkpath(session().DataFolder + QStringLiteral("FilledInWL1.pdf")));
        }
        if (failure == QLatin1String("cancel")) {
            m_dialogs.cancelProgressAt(1);
        }
        const QString resultPath =
            failure == QLatin1String("result") ? target() + QStringLiteral("/missing.pdf") : target();
        QVERIFY(!FillWageListing(session(), m_dialogs, resultPath));
        QCOMPARE(m_dialogs.calls().size(), 1);
        QVERIFY2(m_dialogs.calls().first().text.contains(message), qPrintable(m_dialogs.calls().first().text));
        QCOMPARE(m_dialogs.calls().first().icon, MessageIcon::Exclamation);
        QCOMPARE(test::bytesOf(target()), QByteArray("last quarter's file"));
        QCOMPARE(m_dialogs.busyDepth(), 0);
    }

    void openFilledPdf_data()
    {
        QTest::addColumn<QStringList>("windowTitles");
        QTest::addColumn<bool>("hasProgram");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("message"); // title of the one message shown, or empty
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QStringList>("left"); // the data folder's PDF files afterwards

        const QStringList allKept{QStringLiteral("FilledInWL.pdf"), QStringLiteral("FilledInWL1.pdf"),
                                  QStringLiteral("FilledInWL2.pdf"), QStringLiteral("Other.pdf"),
                                  QStringLiteral("filledinwl2.PDF")};
        const QStringList cleaned{QStringLiteral("FilledInWL.pdf"), QStringLiteral("Other.pdf")};
        QTest::newRow("shown") << QStringList{QStringLiteral("Adobe Acrobat Reader"), QStringLiteral("Calculator")}
                               << true << true << QString() << true << cleaned;
        QTest::newRow("Acrobat Reader running")
            << QStringList{QStringLiteral("Calculator"), QStringLiteral("Acrobat Reader - FilledInWL.pdf")} << true
            << true << QStringLiteral("Wagetrove") << false << allKept;
        QTest::newRow("no viewer") << QStringList{} << false << true << QStringLiteral("Acrobat Reader not found")
                                   << false << cleaned;
        QTest::newRow("viewer does not start")
            << QStringList{} << true << false << QStringLiteral("Acrobat not started") << true << cleaned;
    }

    void openFilledPdf()
    {
        QFETCH(QStringList, windowTitles);
        QFETCH(bool, hasProgram);
        QFETCH(bool, opens);
        QFETCH(QString, message);
        QFETCH(bool, opened);
        QFETCH(QStringList, left);
        addEmployees(18);
        m_dialogs.setHasProgram(hasProgram);
        m_dialogs.setOpenDocumentSucceeds(opens);
        QFile(session().DataFolder + QStringLiteral("Other.pdf")).open(QIODevice::WriteOnly);
        QFile(session().DataFolder + QStringLiteral("filledinwl2.PDF")).open(QIODevice::WriteOnly);
        QFile(session().DataFolder + QStringLiteral("FilledInWL1.pdf")).open(QIODevice::WriteOnly);

        WageListingCommand(session(), m_dialogs, [&windowTitles] { return windowTitles; });

        QCOMPARE(readListing(session().DataFolder + kFilledWageListingName).pages, 2);
        QCOMPARE(session().AcrobatRunning, message == QLatin1String("Wagetrove"));
        QStringList shown;
        bool documentOpened = false;
        for (const test::DialogCall& call : m_dialogs.calls()) {
            if (call.kind == test::DialogCall::Kind::OpenDocument) {
                QCOMPARE(call.text, session().DataFolderShort + kFilledWageListingName);
                documentOpened = true;
            } else {
                shown.append(call.title);
            }
        }
        QCOMPARE(documentOpened, opened);
        QCOMPARE(shown, message.isEmpty() ? QStringList{} : QStringList{message});
        QStringList pdfs = QDir(session().DataFolder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
        pdfs.sort(Qt::CaseSensitive);
        QCOMPARE(pdfs, left);
    }
};

QTEST_GUILESS_MAIN(TestFillWageListing)
#include "tst_fillwagelisting.moc"
