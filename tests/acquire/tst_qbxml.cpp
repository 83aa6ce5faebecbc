#include "acquire/qb/qbtransport.h"
#include "acquire/qb/qbxmlrequests.h"
#include "acquire/qb/qbxmlresponses.h"
#include "app/session.h"

#include <QBuffer>
#include <QTest>
#include <QXmlStreamReader>

#include <functional>

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

/// The message of the QbError `work` throws.
QString failureOf(const std::function<void()>& work)
{
    try {
        work();
    } catch (const QbError& error) {
        return error.message();
    }
    return u"(no failure)"_s;
}

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

/// One company response and one report; the other encodings, which expat reads, are made from it.
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

    void xmlSpellings_readAlike_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::newRow("compact") << kCompact;
        QTest::newRow("declared Latin-1")
            << QByteArray(kCompact).replace("<?xml version=\"1.0\"?>", "<?xml version='1.0' encoding='ISO-8859-1'?>");
        QTest::newRow("UTF-16, indented, CR LF")
            << utf16(QByteArray(kCompact).replace("><", ">\r\n  <").append("\r\n"));
    }
    void xmlSpellings_readAlike()
    {
        QFETCH(QByteArray, document);
        QCOMPARE(digest(parseResponseDocument(document)),
                 u"CompanyQueryRs#0/0/Status OK|O'Neil & Sons|1 Elm St|Peoria|IL|61602|36-1234567|"
                 "PayrollSummaryReportQueryRs#-/0/|1=|4=Ana Cole,Amount|1:Gross Pay & Tips|2: 1=Total Gross Pay "
                 "4=1234.50 5=A & B"_s);
    }

    /// Read with limits of 1024 bytes a document and 64 a text.
    void refusedDocuments_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("reason");
        const QByteArray doctype = R"(<?xml version="1.0"?><!DOCTYPE QBXML [<!ENTITY a "aaaa">]><QBXML/>)";
        const QByteArray company = "<QBXML><QBXMLMsgsRs><CompanyQueryRs ";
        const QByteArray end = "</QBXMLMsgsRs></QBXML>";
        const QString tooLong = u"longer than any QuickBooks answer holds"_s;
        const QString noStatus = u"no numeric statusCode"_s;
        QTest::newRow("document type") << doctype << u"it declares a document type"_s;
        QTest::newRow("document type, in UTF-16") << utf16(doctype) << u"it declares a document type"_s;
        QTest::newRow("crossed tags") << QByteArray("<QBXML>\n<QBXMLMsgsRs></QBXML></QBXMLMsgsRs>")
                                      << u"mismatched tag (line 2)"_s;
        QTest::newRow("oversized text") << company + "statusCode=\"0\"><CompanyRet><CompanyName>" +
                                               QByteArray(65, 'x') + "</CompanyName></CompanyRet></CompanyQueryRs>" +
                                               end
                                        << tooLong;
        QTest::newRow("oversized document") << QByteArray(1025, ' ') << u"larger than 1024 bytes"_s;
        QTest::newRow("not XML") << QByteArray("Status OK") << u"could not be read"_s;
        QTest::newRow("another root") << QByteArray("<html/>") << u"<html>, not <QBXML>"_s;
        QTest::newRow("no status, with the attributes after it")
            << company + R"(requestID="0" statusSeverity="Info" statusMessage="Status OK"/>)" + end << noStatus;
        QTest::newRow("oversized request id, with the attributes after it")
            << company + "requestID=\"" + QByteArray(65, '7') + "\" statusCode=\"0\" statusSeverity=\"Info\"/>" + end
            << tooLong;
        QTest::newRow("status not numeric")
            << QByteArray(R"(<QBXML><QBXMLMsgsRs><HostQueryRs statusCode="OK"/></QBXMLMsgsRs></QBXML>)") << noStatus;
    }
    void refusedDocuments()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, reason);
        const QString failure = failureOf([&] { parseResponseDocument(document, {1024, 64}); });
        QVERIFY2(failure.contains(reason), qPrintable(failure));
    }

    /// A document of exactly the largest size, with a text exactly as long as allowed.
    void longestTexts_areRead_data()
    {
        QTest::addColumn<QByteArray>("document");
        const QByteArray longest(64, 'x');
        QTest::newRow("an element's text")
            << "<QBXML><QBXMLMsgsRs><CompanyQueryRs statusCode=\"0\"><CompanyRet><CompanyName>" + longest +
                   "</CompanyName></CompanyRet></CompanyQueryRs></QBXMLMsgsRs></QBXML>";
        QTest::newRow("an attribute") << "<QBXML><QBXMLMsgsRs><CompanyQueryRs statusCode=\"0\" statusMessage=\"" +
                                             longest + "\"/></QBXMLMsgsRs></QBXML>";
    }
    void longestTexts_areRead()
    {
        QFETCH(QByteArray, document);
        document.append(QByteArray(1024 - document.size(), ' '));
        const QList<QbResponse> responses = parseResponseDocument(document, {1024, 64});
        QCOMPARE(responses.size(), 1);
        QCOMPARE(responses[0].company ? responses[0].company->name : responses[0].status.message, QString(64, u'x'));
    }

    void endlessToken_isRefusedEarly_data()
    {
        QTest::addColumn<QByteArray>("document");
        const QByteArray endless = QByteArray("<QBXML><!--") + QByteArray(3 << 20, 'x');
        QTest::newRow("UTF-8") << endless;
        QTest::newRow("UTF-16") << utf16(endless);
    }
    void endlessToken_isRefusedEarly()
    {
        QFETCH(QByteArray, document);
        qint64 readUpTo = 0;
        const QString failure = failureOf([&] {
            parseResponseDocument(document, {qint64(16) << 20, 64}, [&readUpTo](qint64 done, qint64) {
                readUpTo = done;
                return true;
            });
        });
        QVERIFY2(failure.contains(u"longer than any QuickBooks answer holds"_s), qPrintable(failure));
        QVERIFY2(readUpTo <= qint64(2) << 20, qPrintable(QString::number(readUpTo)));
    }

    void shortAnswers_areRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("claimed");
        QTest::addColumn<QString>("reason");
        QTest::newRow("cut inside the first slice")
            << QByteArray("<QBXML><QBXMLMsgsRs/></QBXML>") << qint64(40) << u"it ends after 29 of its 40 bytes"_s;
        QTest::newRow("cut at the end of a slice")
            << "<QBXML>" + QByteArray(1048561, ' ') + "</QBXML>" << qint64(2097152)
            << u"it ends after 1048576 of its 2097152 bytes"_s;
    }
    void shortAnswers_areRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, claimed);
        QFETCH(QString, reason);
        ShortBuffer answer(bytes, claimed);
        const QString failure = failureOf([&] { parseResponseDevice(answer); });
        QVERIFY2(failure.contains(reason), qPrintable(failure));
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
