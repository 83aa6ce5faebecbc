#include "acquire/qb/qbtransport.h"
#include "acquire/qb/qbxmlrequests.h"
#include "acquire/qb/qbxmlresponses.h"
#include "app/session.h"

#include <QBuffer>
#include <QTest>
#include <QXmlStreamReader>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

/// A buffer that claims more bytes than it holds, as an answer file cut short while it is read.
class ShortBuffer : public QBuffer
{
public:
    ShortBuffer(const QByteArray& bytes, qint64 claimed) : m_claimed(claimed)
    {
        setData(bytes);
        open(QIODevice::ReadOnly);
    }
    qint64 size() const override { return m_claimed; }

private:
    qint64 m_claimed;
};

/// The requests of a document as "Element#id Child=text ... from..to" lines, read without the program's code,
/// after the envelope's facts.
QStringList readRequests(const QByteArray& document)
{
    QStringList lines;
    QXmlStreamReader xml(document);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isProcessingInstruction()) {
            lines << u"<?%1 %2?>"_s.arg(xml.processingInstructionTarget(), xml.processingInstructionData().trimmed());
        } else if (xml.isStartElement() && xml.name() == "QBXMLMsgsRq"_L1) {
            lines << u"onError="_s + xml.attributes().value("onError"_L1).toString();
        } else if (xml.isStartElement() && xml.name().endsWith("Rq"_L1)) {
            QStringList parts{xml.name().toString() + u'#' + xml.attributes().value("requestID"_L1).toString()};
            while (xml.readNextStartElement()) {
                if (xml.name() == "ReportPeriod"_L1) {
                    QStringList dates;
                    while (xml.readNextStartElement()) {
                        dates << xml.readElementText();
                    }
                    parts << dates.join(u".."_s);
                } else {
                    parts << xml.name().toString() + u'=' + xml.readElementText();
                }
            }
            lines << parts.join(u' ');
        }
    }
    return lines;
}

/// One company response and one report.
const QByteArray kCompact =
    R"(<?xml version="1.0"?><QBXML><QBXMLMsgsRs><CompanyQueryRs requestID="0" statusCode="0" statusSeverity="Info" )"
    R"(statusMessage="Status OK"><CompanyRet><CompanyName>O'Neil &amp; Sons</CompanyName><Address><Addr1>1 Elm St)"
    R"(</Addr1><City>Peoria</City><State>IL</State><PostalCode>61602</PostalCode></Address><EIN>36-1234567</EIN>)"
    R"(</CompanyRet></CompanyQueryRs><PayrollSummaryReportQueryRs statusCode="0" statusSeverity="Info"><ReportRet>)"
    R"(<ReportTitle>Payroll Summary</ReportTitle><ColDesc colID="1"><ColTitle titleRow="1"/></ColDesc><ColDesc )"
    R"(colID="4"><ColTitle titleRow="1" value="Ana Cole"/><ColTitle titleRow="2" value="Amount"/></ColDesc>)"
    R"(<ReportData><TextRow rowNumber="1" value="Gross Pay &amp; Tips"/><SubtotalRow rowNumber="2"><ColData )"
    R"(colID="1" value="Total Gross Pay"/><ColData colID="4" value="1234.50"/><ColData colID="5" value="A &amp; B"/>)"
    R"(<ColData value="no column"/></SubtotalRow></ReportData></ReportRet></PayrollSummaryReportQueryRs>)"
    R"(</QBXMLMsgsRs></QBXML>)";

/// A document in UTF-16, with its byte order mark.
QByteArray utf16(const QByteArray& utf8)
{
    const QString text = QChar(QChar::ByteOrderMark) + QString::fromUtf8(utf8);
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

/// The facts the readers take from the responses, as one text.
QString digest(const QList<QbResponse>& responses)
{
    QStringList parts;
    for (const QbResponse& response : responses) {
        parts << response.element + u'#' + response.requestId.value_or(u"-"_s) + u'/' +
                     QString::number(response.status.code) + u'/' + response.status.message;
        if (response.company) {
            const QbCompany& c = *response.company;
            parts << c.name << c.address.addr1 << c.address.city << c.address.state << c.address.postalCode << c.ein;
        }
        if (response.report) {
            for (const QbReportColumn& column : response.report->columns) {
                parts << QString::number(column.colId) + u'=' + column.titles.join(u',');
            }
            for (const QbReportRow& row : response.report->rows) {
                QString line = QString::number(static_cast<int>(row.kind)) + u':' + row.text;
                for (const QbReportCell& cell : response.report->cellsOf(row)) {
                    line += u" %1=%2"_s.arg(cell.colId).arg(response.report->textOf(cell));
                }
                parts << line;
            }
        }
    }
    return parts.join(u'|');
}

} // namespace

class TestQbXml : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void requestSets_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("options"); // S: StandAlone, G: gross pay (UseSUIItem off), C: CalcTaxable
        QTest::addColumn<int>("quarter");     // of 2025
        QTest::addColumn<QStringList>("requests");

        const QString company = u"CompanyQueryRq#0"_s;
        const QString employees = u"EmployeeQueryRq#1 ActiveStatus=All OwnerID=0"_s;
        const QString items = u"PayrollItemNonWageQueryRq#3 ActiveStatus=All"_s;
        const auto detail = [](const char* type, const char* period) {
            return u"PayrollDetailReportQueryRq#2 PayrollDetailReportType=%1 %2 ReportDetailLevelFilter="
                   "AllExceptSummary IncludeColumn=Name IncludeColumn=Date IncludeColumn=PayrollItem "
                   "IncludeColumn=IncomeSubjectToTax IncludeColumn=WageBase IncludeColumn=UnitPrice "
                   "IncludeColumn=Amount"_s.arg(QLatin1String(type), QLatin1String(period));
        };
        const auto summary = [](int index, const char* period) {
            return u"PayrollSummaryReportQueryRq#%1 PayrollSummaryReportType=PayrollSummary %2"_s.arg(index).arg(
                QLatin1String(period));
        };
        const char* const q1 = "2025-01-01..2025-03-31";
        const char* const q2 = "2025-04-01..2025-06-30";
        const char* const h1 = "2025-01-01..2025-06-30";
        const char* const sui = "EmployeeStateTaxesDetail";
        QTest::newRow("IL, SUI item") << 2 << QString() << 1 << QStringList{company, employees, detail(sui, q1), items};
        QTest::newRow("IL, computed taxable, second quarter")
            << 2 << u"GC"_s << 2 << QStringList{company, employees, summary(2, q2), items, summary(4, h1)};
        QTest::newRow("MA Quest, computed taxable: the detail all the same")
            << 5 << u"GC"_s << 2
            << QStringList{company, employees, detail(sui, q2), items, summary(4, q2), summary(5, h1)};
        QTest::newRow("MA PFML, from the year's start")
            << 6 << u"G"_s << 2 << QStringList{company, employees, detail("PayrollItemDetail", h1), items};
        QTest::newRow("standalone: the company alone") << 2 << u"SC"_s << 1 << QStringList{company};
    }
    void requestSets()
    {
        QFETCH(int, position);
        QFETCH(QString, options);
        QFETCH(int, quarter);
        QFETCH(QStringList, requests);
        Session session;
        session.StatePosition = position;
        session.StandAlone = options.contains(u'S');
        session.UseSUIItem = !options.contains(u'G');
        session.CalcTaxable = options.contains(u'C');
        session.FromDate = quarter == 1 ? u"01/01/2025"_s : u"04/01/2025"_s;
        session.ToDate = quarter == 1 ? u"03/31/2025"_s : u"06/30/2025"_s;
        const QStringList envelope = {u"<?qbxml version=\"3.0\"?>"_s, u"onError=continueOnError"_s};
        const QByteArray document = requestDocument(dataRequests(session));
        QVERIFY(document.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
        QCOMPARE(readRequests(document), envelope + requests);
        QCOMPARE(readRequests(hostQueryDocument()), envelope + QStringList{u"HostQueryRq#0"_s});
    }

    /// Each answer read from a file of the size claimed (its own size when 0), with the limits given; "read " and
    /// the facts taken from it when it is read.
    void documents_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<qint64>("claimed");
        QTest::addColumn<qint64>("maxDocument");
        QTest::addColumn<qint64>("maxText");
        QTest::addColumn<QString>("outcome"); // a part of it
        const QByteArray doctype = R"(<?xml version="1.0"?><!DOCTYPE QBXML [<!ENTITY a "aaaa">]><QBXML/>)";
        const QByteArray company = "<QBXML><QBXMLMsgsRs><CompanyQueryRs ";
        const QByteArray end = "</QBXMLMsgsRs></QBXML>";
        const QByteArray named = company + R"(statusCode="0"><CompanyRet><CompanyName>)";
        const QByteArray endNamed = "</CompanyName></CompanyRet></CompanyQueryRs>" + end;
        const QByteArray endless = QByteArray("<QBXML><!--") + QByteArray(3 << 20, 'x');
        const QString tooLong = u"longer than any QuickBooks answer holds"_s;
        const auto row = [](const char* name, const QByteArray& document, const QString& outcome, qint64 claimed = 0,
                            qint64 maxDocument = 1024, qint64 maxText = 64) {
            QTest::newRow(name) << document << claimed << maxDocument << maxText << outcome;
        };
        // Padded to exactly the largest document, with a text exactly as long as allowed.
        const auto longest = [](QByteArray document) {
            return document.append(QByteArray(1024 - document.size(), ' '));
        };
        const QString spelled = u"read CompanyQueryRs#0/0/Status OK|O'Neil & Sons|1 Elm St|Peoria|IL|61602|36-1234567|"
                                "PayrollSummaryReportQueryRs#-/0/|1=|4=Ana Cole,Amount|1:Gross Pay & Tips|2: 1=Total "
                                "Gross Pay 4=1234.50 5=A & B"_s;
        const qint64 gib = qint64(1) << 30;
        const qint64 large = qint64(64) << 20;
        row("compact", kCompact, spelled, 0, gib, large);
        // Other encodings are read by expat.
        row("declared Latin-1",
            QByteArray(kCompact).replace("<?xml version=\"1.0\"?>", "<?xml version='1.0' encoding='ISO-8859-1'?>"),
            spelled, 0, gib, large);
        row("UTF-16, indented, CR LF", utf16(QByteArray(kCompact).replace("><", ">\r\n  <").append("\r\n")), spelled, 0,
            gib, large);
        row("an element's text as long as allowed", longest(named + QByteArray(64, 'x') + endNamed),
            u"read CompanyQueryRs#-/0/|"_s + QString(64, u'x') + u'|');
        row("an attribute as long as allowed",
            longest(company + "statusCode=\"0\" statusMessage=\"" + QByteArray(64, 'x') + "\"/>" + end),
            u"read CompanyQueryRs#-/0/"_s + QString(64, u'x'));
        row("oversized text", named + QByteArray(65, 'x') + endNamed, tooLong);
        row("oversized document", QByteArray(1025, ' '), u"larger than 1024 bytes"_s);
        row("oversized request id, with the attributes after it",
            company + "requestID=\"" + QByteArray(65, '7') + "\" statusCode=\"0\" statusSeverity=\"Info\"/>" + end,
            tooLong);
        row("document type, in UTF-16", utf16(doctype), u"it declares a document type"_s);
        row("crossed tags", "<QBXML>\n<QBXMLMsgsRs></QBXML></QBXMLMsgsRs>", u"mismatched tag (line 2)"_s);
        row("not XML", "Status OK", u"could not be read"_s);
        row("another root", "<html/>", u"<html>, not <QBXML>"_s);
        row("no status, with the attributes after it",
            company + R"(requestID="0" statusSeverity="Info" statusMessage="Status OK"/>)" + end,
            u"no numeric statusCode"_s);
        // A token without end is refused before much more than the longest text is read.
        row("endless token", endless, tooLong, 0, qint64(16) << 20);
        row("endless token, in UTF-16", utf16(endless), tooLong, 0, qint64(16) << 20);
        row("cut inside the first slice", "<QBXML><QBXMLMsgsRs/></QBXML>", u"it ends after 29 of its 40 bytes"_s, 40,
            gib, large);
        row("cut at the end of a slice", "<QBXML>" + QByteArray(1048561, ' ') + "</QBXML>",
            u"it ends after 1048576 of its 2097152 bytes"_s, 2097152, gib, large);
    }
    void documents()
    {
        QFETCH(QByteArray, document);
        QFETCH(qint64, claimed);
        QFETCH(qint64, maxDocument);
        QFETCH(qint64, maxText);
        QFETCH(QString, outcome);
        ShortBuffer answer(document, claimed ? claimed : document.size());
        qint64 readUpTo = 0;
        QString read;
        try {
            const QList<QbResponse> responses =
                parseResponseDevice(answer, {maxDocument, maxText}, [&readUpTo](qint64 done, qint64) {
                    readUpTo = done;
                    return true;
                });
            read = u"read "_s + digest(responses);
        } catch (const QbError& error) {
            read = error.message();
        }
        QVERIFY2(read.contains(outcome), qPrintable(read));
        QVERIFY2(readUpTo <= qint64(2) << 20, qPrintable(QString::number(readUpTo)));
    }

    void mismatch_namesTheFirstDifference_data()
    {
        QTest::addColumn<QByteArray>("responses");
        QTest::addColumn<QString>("message");
        const QString prefix = u"The QuickBooks answer does not fit the requests sent: "_s;
        QTest::newRow("fits") << QByteArray("<CompanyQueryRs statusCode='0'/><EmployeeQueryRs statusCode='1'/>")
                              << QString();
        QTest::newRow("one short") << QByteArray("<CompanyQueryRs statusCode='0'/>")
                                   << prefix + u"1 responses came back for 2 requests."_s;
        QTest::newRow("the first of another kind")
            << QByteArray("<EmployeeQueryRs statusCode='0'/><EmployeeQueryRs statusCode='0'/>")
            << prefix + u"response 0 is <EmployeeQueryRs> where <CompanyQueryRs> was expected."_s;
        QTest::newRow("other request id")
            << QByteArray("<CompanyQueryRs requestID='0' statusCode='0'/><EmployeeQueryRs requestID='7' "
                          "statusCode='0'/>")
            << prefix + u"response 1 answers the request numbered 7."_s;
    }
    void mismatch_namesTheFirstDifference()
    {
        QFETCH(QByteArray, responses);
        QFETCH(QString, message);
        const QList<QbRequest> requests = {{QbRequestKind::Company, {}, {}, {}},
                                           {QbRequestKind::EmployeeList, {}, {}, {}}};
        const auto mismatch = responseMismatch(
            requests, parseResponseDocument("<QBXML><QBXMLMsgsRs>" + responses + "</QBXMLMsgsRs></QBXML>"));
        QCOMPARE(mismatch.value_or(QString()), message);
    }
};

QTEST_MAIN(TestQbXml)
#include "tst_qbxml.moc"
