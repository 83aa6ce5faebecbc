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

#include <cstring>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

const QString kUnset = u"(unset)"_s;

/// A written listing: its pages, every field's value by title (kUnset for a field without a value) and the
/// content of its appearance, which is what viewers and printers draw.
struct Listing
{
    int pages = 0;
    QMap<QString, QString> values;
    QMap<QString, QByteArray> drawn;

    QString joined(const QStringList& fields) const
    {
        QStringList texts;
        for (const QString& field : fields) {
            texts.append(values.value(field));
        }
        return texts.join(u'|');
    }
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

} // namespace

class TestFillWageListing : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::StoreFixture> m_store;
    test::ScriptedDialogs m_dialogs;

    Session& session() { return m_store->session(); }
    QString target() { return session().DataFolder + kFilledWageListingName; }

    void addEmployee(const QString& values)
    {
        QVERIFY(m_store->exec(u"INSERT INTO Employee (Name, SS, LastName, FirstName, MiddleName, GrossWages, "
                              "TaxableWages) VALUES (%1)"_s.arg(values)));
    }

    /// `count` employees of 100.00 gross and 50.00 taxable, named so that name order is the order added.
    void addEmployees(int count)
    {
        for (int i = 1; i <= count; ++i) {
            addEmployee(
                u"'EMP%1', '1000000%1', 'LAST%1', 'FIRST%1', '', 1000000, 500000"_s.arg(i, 2, 10, QLatin1Char('0')));
        }
    }

    QStringList dataFolderPdfs(const QString& pattern)
    {
        return QDir(session().DataFolder).entryList({pattern}, QDir::Files, QDir::Name); // case-sensitive order
    }

    void fill()
    {
        QVERIFY2(FillWageListing(session(), m_dialogs, target()), qPrintable(m_dialogs.messages().join(u'\n')));
        QCOMPARE(m_dialogs.busyDepth(), 0);
    }

private Q_SLOTS:
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        m_dialogs = test::ScriptedDialogs();
        session().AppFolder = test::programFolder() + u'/';
        session().DataFolderShort = session().DataFolder;
        session().EmployerAddress = u"ACME INC\r\n1 MAIN ST\r\nAUSTIN TX  78701"_s;
        session().Form3.Text9 = u" 1234567 "_s;
        session().Quarter = u"2"_s;
        session().TaxYear = 2025;
    }

    // Seventeen lines a page; each page numbered "N of M" (fields 19 and 20) and headed alike; the last page's
    // totals, its lines filled and the last SS among them; the page files left beside the listing.
    void pages_data()
    {
        QTest::addColumn<int>("employees");
        QTest::addColumn<QString>("expected");
        const QString two = u"; FilledInWL1.pdf FilledInWL2.pdf"_s;
        QTest::newRow("none") << 0 << u"1/0; 0.00|0.00|0 lines; "_s;
        QTest::newRow("one page") << 17 << u"1/1; 1700.00|850.00|17 lines, last 100-00-0017; "_s;
        QTest::newRow("one line over") << 18 << u"1/2 2/2; 100.00|50.00|1 lines, last 100-00-0018"_s + two;
        QTest::newRow("two full pages") << 34 << u"1/2 2/2; 1700.00|850.00|17 lines, last 100-00-0034"_s + two;
    }
    void pages()
    {
        QFETCH(int, employees);
        QFETCH(QString, expected);
        addEmployees(employees);
        fill();
        const Listing listing = readListing(target());
        QCOMPARE(listing.values.size(), 110 * listing.pages);
        QStringList numbered;
        for (int page = 1; page <= listing.pages; ++page) {
            const QString p = u"-%1"_s.arg(page);
            numbered.append(listing.values.value(u"19"_s + p) + u'/' + listing.values.value(u"20"_s + p));
            QCOMPARE(listing.joined({u"1"_s + p, u"2"_s + p, u"3"_s + p, u"4"_s + p}),
                     session().EmployerAddress + u"|1234567|2|2025"_s);
        }
        const QString last = u"-%1"_s.arg(listing.pages);
        QStringList filled; // the SS of each line filled on the last page
        for (int line = 1; line <= 17; ++line) {
            if (const QString ss = listing.values.value(u"%1-1"_s.arg(line) + last); ss != kUnset) {
                filled.append(ss);
            }
        }
        const QString lastSs = filled.isEmpty() ? QString() : u", last "_s + filled.last();
        // What a printer prints: the annotations flattened into the pages, then the pages' text.
        const QString flat = session().DataFolder + u"printed.pdf"_s;
        QCOMPARE(QProcess::execute(u"qpdf"_s, {u"--flatten-annotations=all"_s, target(), flat}), 0);
        QProcess pdftotext;
        pdftotext.start(u"pdftotext"_s, {u"-layout"_s, flat, u"-"_s});
        QVERIFY(pdftotext.waitForFinished());
        const QString printed = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QCOMPARE(printed.count(u"QUARTERLY WAGE LISTING"_s), listing.pages);
        for (const QString& value : {u"AUSTIN TX"_s, u"1234567"_s, u"2025"_s, listing.values.value(u"18-5"_s + last),
                                     listing.values.value(u"18-6"_s + last), lastSs.mid(7)}) {
            QVERIFY2(printed.contains(value), qPrintable(value + u" not in:\n"_s + printed));
        }
        QCOMPARE(numbered.join(u' ') + u"; "_s + listing.joined({u"18-5"_s + last, u"18-6"_s + last}) +
                     u"|%1 lines"_s.arg(filled.size()) + lastSs + u"; "_s +
                     dataFolderPdfs(u"FilledInWL?*.pdf"_s).join(u' '),
                 expected);
    }

    // The account number is the totals window's State ID, QuickBooks' account only without one.
    void lineValues_data()
    {
        QTest::addColumn<QString>("stateId");
        QTest::addColumn<QString>("account");
        QTest::newRow("totals window's State ID") << u" 1234567 "_s << u"1234567"_s;
        QTest::newRow("QuickBooks account") << u"  "_s << u"12-3456"_s;
    }
    void lineValues()
    {
        QFETCH(QString, stateId);
        QFETCH(QString, account);
        session().Form3.Text9 = stateId;
        session().StateAccountID = u"12-3456"_s;
        addEmployee(u"'COLE', '222222222', 'Cole', 'AN' || char(9) || 'NE', NULL, 100000000, 70000000"_s);
        addEmployee(u"'DOE', '333333333', 'Doe', 'Jo', '', 123450000, 0"_s);
        addEmployee(u"'adams', '012345678', 'o\\brien (jr)', 'Zoë', 'Anne', 5000, 12345678"_s);
        fill();
        // Name order puts adams first, though added last: SS, names as stored, middle initial, amounts rounded;
        // a null middle name leaves its field unset, an empty one sets it empty; then the page's totals.
        const Listing listing = readListing(target());
        QCOMPARE(listing.joined({u"2-1"_s, u"1-1-1"_s, u"1-2-1"_s, u"1-3-1"_s, u"1-4-1"_s, u"1-5-1"_s, u"1-6-1"_s,
                                 u"2-4-1"_s, u"3-4-1"_s, u"3-5-1"_s, u"18-5-1"_s, u"18-6-1"_s}),
                 account + u"|012-34-5678|o\\brien (jr)|Zoë|A|0.50|1234.57|(unset)||12345.00|22345.50|8234.57"_s);
        // Every value is drawn into the page, so that it prints from any viewer and stays once flattened: the
        // characters a PDF string escapes escaped, control characters as blanks, amounts to the right, the
        // middle initial centred.
        // Each field, then after the first "=" what its appearance holds.
        for (const char* row :
             {"1-2-1=(o\\\\brien \\(jr\\)) Tj", "2-3-1=(AN NE) Tj", "1-4-1=1 0 0 1 6.3 7.48 Tm\n(A) Tj",
              "3-5-1=1 0 0 1 31.8 7.48 Tm\n(12345.00) Tj", "1-1=(ACME INC) Tj\n1 0 0 1 2 33.48 Tm\n(1 MAIN ST) Tj"}) {
            const char* at = std::strchr(row, '=');
            const QByteArray drawn = listing.drawn.value(QString::fromLatin1(row, at - row));
            QVERIFY2(drawn.contains(at + 1), drawn.constData());
        }
    }

    // Each failure says why in one message and leaves last quarter's listing as it was.
    void failures_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("message");
        QTest::newRow("form missing") << u"missing"_s << u"BlankWL.pdf could not be read"_s;
        QTest::newRow("form not a PDF") << u"not a PDF"_s << u"BlankWL.pdf is not a PDF file"_s;
        QTest::newRow("form without fields") << u"no fields"_s << u"is not a PDF form"_s;
        QTest::newRow("page file not writable") << u"page"_s << u"Page 1 of the wage listing could not be written"_s;
        QTest::newRow("result not writable") << u"result"_s << u"The wage listing could not be written"_s;
        QTest::newRow("cancelled after a page") << u"cancel"_s << u"File creation cancelled"_s;
    }
    void failures()
    {
        QFETCH(QString, failure);
        QFETCH(QString, message);
        addEmployees(18);
        QVERIFY(test::writeBytes(target(), "last quarter's file"));
        QTemporaryDir appFolder;
        const QString blank = appFolder.filePath(kBlankWageListingName);
        QString resultPath = target();
        if (failure == u"not a PDF") {
            QVERIFY(test::writeBytes(blank, "not a PDF"));
        } else if (failure == u"no fields") {
            // The page of the blank form's own text, its fields taken away.
            QPDF pdf;
            pdf.processFile(QFile::encodeName(session().AppFolder + kBlankWageListingName).constData());
            pdf.getRoot().removeKey("/AcroForm");
            QPDFWriter(pdf, QFile::encodeName(blank).constData()).write();
        } else if (failure == u"page") {
            QVERIFY(QDir().mkpath(session().DataFolder + u"FilledInWL1.pdf"_s));
        } else if (failure == u"result") {
            resultPath += u"/missing.pdf"_s;
        } else if (failure == u"cancel") {
            m_dialogs.cancelProgressAt(1);
        }
        if (failure == u"missing" || failure == u"not a PDF" || failure == u"no fields") {
            session().AppFolder = appFolder.path() + u'/';
        }
        QVERIFY(!FillWageListing(session(), m_dialogs, resultPath));
        QCOMPARE(m_dialogs.calls().size(), 1);
        QVERIFY2(m_dialogs.calls().first().text.contains(message), qPrintable(m_dialogs.calls().first().text));
        QCOMPARE(m_dialogs.calls().first().icon, MessageIcon::Exclamation);
        QCOMPARE(test::bytesOf(target()), QByteArray("last quarter's file"));
        QCOMPARE(m_dialogs.busyDepth(), 0);
    }

    // The listing is shown unless Acrobat Reader runs, and the page files go first, whatever their case.
    void openFilledPdf_data()
    {
        QTest::addColumn<QString>("windowTitles");
        QTest::addColumn<bool>("hasProgram");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("outcome"); // the listing opened and the messages shown; the PDF files left
        const QString opened = u"opened FilledInWL.pdf"_s, cleaned = u"; FilledInWL.pdf Other.pdf"_s;
        QTest::newRow("shown") << u"Adobe Acrobat Reader|Calculator"_s << true << true << opened + cleaned;
        QTest::newRow("Acrobat Reader running")
            << u"Calculator|Acrobat Reader - FilledInWL.pdf"_s << true << true
            << u"Wagetrove; FilledInWL.pdf FilledInWL1.pdf FilledInWL2.pdf Other.pdf filledinwl2.PDF"_s;
        QTest::newRow("no viewer") << QString() << false << true << u"Acrobat Reader not found"_s + cleaned;
        QTest::newRow("viewer does not start")
            << QString() << true << false << opened + u"|Acrobat not started"_s + cleaned;
    }
    void openFilledPdf()
    {
        QFETCH(QString, windowTitles);
        QFETCH(bool, hasProgram);
        QFETCH(bool, opens);
        QFETCH(QString, outcome);
        m_dialogs.setHasProgram(hasProgram);
        m_dialogs.setOpenDocumentSucceeds(opens);
        for (const char* name :
             {"FilledInWL.pdf", "FilledInWL1.pdf", "FilledInWL2.pdf", "Other.pdf", "filledinwl2.PDF"}) {
            QVERIFY(test::writeBytes(session().DataFolder + QLatin1String(name), "%PDF"));
        }
        OpenFilledPdf(session(), m_dialogs, kFilledWageListingName, windowTitles.split(u'|', Qt::SkipEmptyParts));
        QCOMPARE(session().AcrobatRunning, outcome.startsWith(u"Wagetrove"));
        QStringList calls;
        for (const test::DialogCall& call : m_dialogs.calls()) {
            calls.append(call.kind == test::DialogCall::Kind::OpenDocument
                             ? u"opened "_s + QString(call.text).remove(session().DataFolderShort)
                             : call.title);
        }
        QCOMPARE(calls.join(u'|') + u"; "_s + dataFolderPdfs(u"*.pdf"_s).join(u' '), outcome);
    }
};

QTEST_GUILESS_MAIN(TestFillWageListing)
#include "tst_fillwagelisting.moc"
