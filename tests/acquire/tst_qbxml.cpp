#include "acquire/qb/qbconversation.h"
#include "acquire/qb/qbtransport.h"
#include "acquire/qb/qbxmlrequests.h"
#include "acquire/qb/qbxmlresponses.h"
#include "app/session.h"
#include "app/statecatalogue.h"

#include <QBuffer>
#include <QTest>
#include <QXmlStreamReader>

using namespace wagetrove;

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

/// The requests of a document as "Element#id Type from..to" lines, read without the program's code, plus the
/// envelope's facts.
QStringList readRequests(const QByteArray& document)
{
    QStringList lines;
    QXmlStreamReader xml(document);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isProcessingInstruction()) {
            lines << QStringLiteral("<?%1 %2?>")
                         .arg(xml.processingInstructionTarget(), xml.processingInstructionData().trimmed());
        } else if (xml.isStartElement() && xml.name() == QLatin1String("QBXMLMsgsRq")) {
            lines << QStringLiteral("onError=") + xml.attributes().value(QLatin1String("onError")).toString();
        } else if (xml.isStartElement() && xml.name().endsWith(QLatin1String("Rq"))) {
            QString line = xml.name().toString() + QLatin1Char('#') +
                           xml.attributes().value(QLatin1String("requestID")).toString();
            QStringList parts;
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("ReportPeriod")) {
                    QStringList dates;
                    while (xml.readNextStartElement()) {
                        dates << xml.readElementText();
                    }
                    parts << dates.join(QStringLiteral(".."));
                } else {
                    parts << xml.name().toString() + QLatin1Char('=') + xml.readElementText();
                }
            }
            lines << (parts.isEmpty() ? line : line + QLatin1Char(' ') + parts.join(QLatin1Char(' ')));
        }
    }
    return lines;
}

const QString kColumns =
    QStringLiteral("ReportDetailLevelFilter=AllExceptSummary IncludeColumn=Name IncludeColumn=Date "
                   "IncludeColumn=PayrollItem IncludeColumn=IncomeSubjectToTax "
                   "IncludeColumn=WageBase IncludeColumn=UnitPrice IncludeColumn=Amount");

/// A transport that records the calls and fails where it is told to.
class RecordingTransport : public QbTransport
{
public:
    explicit RecordingTransport(QStringList& calls, QString failAt) : m_calls(calls), m_failAt(std::move(failAt)) {}
    void openConnection(const QString& id, const QString& name) override
    {
        step(QStringLiteral("open ") + id + QLatin1Char('/') + name);
    }
    void beginSession() override { step(QStringLiteral("begin")); }
    QByteArray processRequest(const QByteArray&) override
    {
        step(QStringLiteral("process"));
        return "<QBXML><QBXMLMsgsRs><HostQueryRs statusCode='0'><HostRet><MajorVersion>34</MajorVersion>"
               "</HostRet></HostQueryRs></QBXMLMsgsRs></QBXML>";
    }
    void endSession() override { step(QStringLiteral("end")); }
    void closeConnection() override { step(QStringLiteral("close")); }

private:
    void step(const QString& call)
    {
        m_calls << call;
        if (call.startsWith(m_failAt)) {
            throw QbError(QStringLiteral("failed at ") + call);
        }
    }
    QStringList& m_calls;
    QString m_failAt;
};

/// One company response and one two-row report in four XML spellings that must read alike.
const char* const kCompact =
    "<?xml version=\"1.0\"?><QBXML><QBXMLMsgsRs><CompanyQueryRs requestID=\"0\" statusCode=\"0\" "
    "statusSeverity=\"Info\" statusMessage=\"Status OK\"><CompanyRet><CompanyName>O'Neil &amp; Sons</CompanyName>"
    "<Address><Addr1>1 Elm St</Addr1><City>Peoria</City><State>IL</State><PostalCode>61602</PostalCode></Address>"
    "<EIN>36-1234567</EIN></CompanyRet></CompanyQueryRs><PayrollSummaryReportQueryRs statusCode=\"0\" "
    "statusSeverity=\"Info\"><ReportRet><ReportTitle>Payroll Summary</ReportTitle><ColDesc colID=\"1\"><ColTitle "
    "titleRow=\"1\"/></ColDesc><ColDesc colID=\"4\"><ColTitle titleRow=\"1\" value=\"Ana Cole\"/><ColTitle "
    "titleRow=\"2\" value=\"Amount\"/></ColDesc><ReportData><TextRow rowNumber=\"1\" value=\"Gross Pay &amp; Tips\"/>"
    "<SubtotalRow rowNumber=\"2\"><ColData colID=\"1\" value=\"Total Gross Pay\"/><ColData colID=\"4\" "
    "value=\"1234.50\"/><ColData colID=\"5\" value=\"A &amp; B\"/><ColData value=\"no "
    "column\"/></SubtotalRow></ReportData></ReportRet>"
    "</PayrollSummaryReportQueryRs></QBXMLMsgsRs></QBXML>";
const char* const kIndented =
    "<?xml version=\"1.0\" ?>\r\n<QBXML>\r\n  <QBXMLMsgsRs>\r\n    <CompanyQueryRs statusMessage=\"Status OK\" "
    "statusSeverity=\"Info\" statusCode=\"0\" requestID=\"0\">\r\n      <CompanyRet>\r\n        <CompanyName>O'Neil "
    "&amp; Sons</CompanyName>\r\n        <Address>\r\n          <Addr1>1 Elm St</Addr1>\r\n          "
    "<City>Peoria</City>"
    "\r\n          <State>IL</State>\r\n          <PostalCode>61602</PostalCode>\r\n        </Address>\r\n        "
    "<EIN>36-1234567</EIN>\r\n      </CompanyRet>\r\n    </CompanyQueryRs>\r\n    <PayrollSummaryReportQueryRs "
    "statusSeverity=\"Info\" statusCode=\"0\">\r\n      <ReportRet>\r\n        <ReportTitle>Payroll Summary"
    "</ReportTitle>\r\n        <ColDesc colID=\"1\">\r\n          <ColTitle titleRow=\"1\"></ColTitle>\r\n        "
    "</ColDesc>\r\n        <ColDesc colID=\"4\">\r\n          <ColTitle value=\"Ana Cole\" titleRow=\"1\" />\r\n   "
    "       <ColTitle titleRow=\"2\" value=\"Amount\" />\r\n        </ColDesc>\r\n        <ReportData>\r\n          "
    "<TextRow rowNumber=\"1\" value=\"Gross Pay &amp; Tips\" />\r\n          <SubtotalRow rowNumber=\"2\">\r\n         "
    "   "
    "<ColData colID=\"1\" value=\"Total Gross Pay\" />\r\n            <ColData colID=\"4\" value=\"1234.50\" />\r\n "
    "           <ColData colID=\"5\" value=\"A &amp; B\" />\r\n "
    "           <ColData value=\"no column\" />\r\n          </SubtotalRow>\r\n        </ReportData>\r\n      "
    "</ReportRet>\r\n    </PayrollSummaryReportQueryRs>\r\n  </QBXMLMsgsRs>\r\n</QBXML>\r\n";

QByteArray singleQuoted()
{
    return QByteArray(kCompact).replace('"', '\'').replace("O'Neil", "O&apos;Neil");
}

QByteArray characterReferences()
{
    return QByteArray(kIndented)
        .replace("Peoria", "&#80;eor&#x69;a")
        .replace("Total Gross Pay", "Total&#32;Gross&#x20;Pay")
        .replace("O'Neil", "O&#39;Neil")
        .replace("&amp; Tips", "&#38; Tips")
        .replace("A &amp; B", "A &#x26; B");
}

/// A document in UTF-16, with its byte order mark.
QByteArray utf16(const QByteArray& utf8)
{
    const QString text = QChar(QChar::ByteOrderMark) + QString::fromUtf8(utf8);
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

/// The facts the readers take from the two responses, as one text.
QString digest(const QList<QbResponse>& responses)
{
    QStringList parts;
    for (const QbResponse& response : responses) {
        parts << response.element + QLatin1Char('#') + response.requestId.value_or(QStringLiteral("-")) +
                     QLatin1Char('/') + QString::number(response.status.code) + QLatin1Char('/') +
                     response.status.message;
        if (response.company) {
            const QbCompany& c = *response.company;
            parts << c.name << c.address.addr1 << c.address.city << c.address.state << c.address.postalCode << c.ein;
        }
        if (response.report) {
            for (const QbReportColumn& column : response.report->columns) {
                parts << QString::number(column.colId) + QLatin1Char('=') + column.titles.join(QLatin1Char(','));
            }
            for (const QbReportRow& row : response.report->rows) {
                QString line = QString::number(static_cast<int>(row.kind)) + QLatin1Char(':') + row.text;
                for (const QbReportCell& cell : response.report->cellsOf(row)) {
                    line += QStringLiteral(" %1=%2").arg(cell.colId).arg(response.report->textOf(cell));
                }
                parts << line;
            }
        }
    }
    return parts.join(QLatin1Char('|'));
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
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("requests");

        const QString company = QStringLiteral("CompanyQueryRq#0");
        const QString employees = QStringLiteral("EmployeeQueryRq#1 ActiveStatus=All OwnerID=0");
        const QString items = QStringLiteral("PayrollItemNonWageQueryRq#3 ActiveStatus=All");
        const auto detail = [](const char* type, const char* period) {
            return QStringLiteral("PayrollDetailReportQueryRq#2 PayrollDetailReportType=%1 %2 %3")
                .arg(QLatin1String(type), QLatin1String(period), kColumns);
        };
        const auto summary = [](int index, const char* period) {
            return QStringLiteral("PayrollSummaryReportQueryRq#%1 PayrollSummaryReportType=PayrollSummary %2")
                .arg(index)
                .arg(QLatin1String(period));
        };
        const QString q1 = QStringLiteral("01/01/2025");
        const QString q1End = QStringLiteral("03/31/2025");
        const QString q2 = QStringLiteral("04/01/2025");
        const QString q2End = QStringLiteral("06/30/2025");
        QTest::newRow("IL, SUI item") << 2 << QString() << q1 << q1End
                                      << QStringList{company, employees,
                                                     detail("EmployeeStateTaxesDetail", "2025-01-01..2025-03-31"),
                                                     items};
        QTest::newRow("IL, gross pay") << 2 << QStringLiteral("G") << q1 << q1End
                                       << QStringList{company, employees, summary(2, "2025-01-01..2025-03-31"), items};
        QTest::newRow("IL, computed taxable, second quarter")
            << 2 << QStringLiteral("GC") << q2 << q2End
            << QStringList{company, employees, summary(2, "2025-04-01..2025-06-30"), items,
                           summary(4, "2025-01-01..2025-06-30")};
        QTest::newRow("MA Quest") << 5 << QString() << q2 << q2End
                                  << QStringList{company, employees,
                                                 detail("EmployeeStateTaxesDetail", "2025-04-01..2025-06-30"), items,
                                                 summary(4, "2025-04-01..2025-06-30")};
        QTest::newRow("MA Quest, computed taxable")
            << 5 << QStringLiteral("GC") << q2 << q2End
            << QStringList{company,
                           employees,
                           detail("EmployeeStateTaxesDetail", "2025-04-01..2025-06-30"),
                           items,
                           summary(4, "2025-04-01..2025-06-30"),
                           summary(5, "2025-01-01..2025-06-30")};
        QTest::newRow("MA PFML, from the year's start")
            << 6 << QStringLiteral("G") << q2 << q2End
            << QStringList{company, employees, detail("PayrollItemDetail", "2025-01-01..2025-06-30"), items};
        QTest::newRow("standalone: the company alone")
            << 2 << QStringLiteral("SC") << q1 << q1End << QStringList{company};
    }
    void requestSets()
    {
        QFETCH(int, position);
        QFETCH(QString, options);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QStringList, requests);
        Session session;
        session.StatePosition = position;
        session.StandAlone = options.contains(QLatin1Char('S'));
        session.UseSUIItem = !options.contains(QLatin1Char('G'));
        session.CalcTaxable = options.contains(QLatin1Char('C'));
        session.FromDate = from;
        session.ToDate = to;
        const QStringList envelope = {QStringLiteral("<?qbxml version=\"3.0\"?>"),
                                      QStringLiteral("onError=continueOnError")};
        const QByteArray document = requestDocument(dataRequests(session));
        QVERIFY(document.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
        QCOMPARE(readRequests(document), envelope + requests);
        QCOMPARE(readRequests(hostQueryDocument()), envelope + QStringList{QStringLiteral("HostQueryRq#0")});
    }

    void xmlSpellings_readAlike_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::newRow("indented, CR LF, attributes reordered") << QByteArray(kIndented);
        QTest::newRow("single quotes, named references") << singleQuoted();
        QTest::newRow("character references") << characterReferences();
        QTest::newRow("declared Latin-1")
            << QByteArray(kCompact).replace("<?xml version=\"1.0\"?>", "<?xml version='1.0' encoding='ISO-8859-1'?>");
        QTest::newRow("UTF-16") << utf16(QByteArray(kIndented));
    }
    void xmlSpellings_readAlike()
    {
        QFETCH(QByteArray, document);
        const QString expected = QStringLiteral(
            "CompanyQueryRs#0/0/Status OK|O'Neil & Sons|1 Elm St|Peoria|IL|61602|36-1234567|"
            "PayrollSummaryReportQueryRs#-/0/|1=|4=Ana Cole,Amount|1:Gross Pay & Tips|2: 1=Total Gross Pay 4=1234.50 "
            "5=A & B");
        QCOMPARE(digest(parseResponseDocument(QByteArray(kCompact))), expected);
        QCOMPARE(digest(parseResponseDocument(document)), expected);
    }

    void refusedDocuments_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("reason");
        QTest::newRow("document type") << QByteArray(
                                              "<?xml version=\"1.0\"?><!DOCTYPE QBXML [<!ENTITY a \"aaaa\">]><QBXML/>")
                                       << QStringLiteral("it declares a document type");
        QTest::newRow("external entity")
            << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE QBXML SYSTEM \"file:///etc/passwd\"><QBXML/>")
            << QStringLiteral("it declares a document type");
        QTest::newRow("document type, in UTF-16")
            << utf16("<?xml version=\"1.0\"?><!DOCTYPE QBXML [<!ENTITY a \"aaaa\">]><QBXML/>")
            << QStringLiteral("it declares a document type");
        QTest::newRow("crossed tags") << QByteArray("<QBXML>\n<QBXMLMsgsRs></QBXML></QBXMLMsgsRs>")
                                      << QStringLiteral("mismatched tag (line 2)");
        QTest::newRow("oversized text")
            << QByteArray("<QBXML><QBXMLMsgsRs><CompanyQueryRs statusCode=\"0\"><CompanyRet><CompanyName>") +
                   QByteArray(65, 'x') +
                   QByteArray("</CompanyName></CompanyRet></CompanyQueryRs></QBXMLMsgsRs></QBXML>")
            << QStringLiteral("longer than any QuickBooks answer holds");
        QTest::newRow("oversized document") << QByteArray(1025, ' ') << QStringLiteral("larger than 1024 bytes");
        QTest::newRow("not XML") << QByteArray("Status OK") << QStringLiteral("could not be read");
        QTest::newRow("another root") << QByteArray("<html/>") << QStringLiteral("<html>, not <QBXML>");
        QTest::newRow("no status, with the attributes after it")
            << QByteArray("<QBXML><QBXMLMsgsRs><CompanyQueryRs requestID=\"0\" statusSeverity=\"Info\" "
                          "statusMessage=\"Status OK\"/></QBXMLMsgsRs></QBXML>")
            << QStringLiteral("no numeric statusCode");
        QTest::newRow("oversized request id, with the attributes after it")
            << QByteArray("<QBXML><QBXMLMsgsRs><CompanyQueryRs requestID=\"") + QByteArray(65, '7') +
                   QByteArray("\" statusCode=\"0\" statusSeverity=\"Info\"/></QBXMLMsgsRs></QBXML>")
            << QStringLiteral("longer than any QuickBooks answer holds");
        QTest::newRow("status not numeric")
            << QByteArray("<QBXML><QBXMLMsgsRs><HostQueryRs statusCode=\"OK\"/></QBXMLMsgsRs></QBXML>")
            << QStringLiteral("no numeric statusCode");
    }
    void refusedDocuments()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, reason);
        try {
            parseResponseDocument(document, {1024, 64});
            QFAIL("the document was read");
        } catch (const QbError& error) {
            QVERIFY2(error.message().contains(reason), qPrintable(error.message()));
        }
    }

    void longestTexts_areRead_data()
    {
        QTest::addColumn<QByteArray>("document");
        const QByteArray longest(64, 'x');
        QTest::newRow("an element's text")
            << QByteArray("<QBXML><QBXMLMsgsRs><CompanyQueryRs statusCode=\"0\"><CompanyRet><CompanyName>") + longest +
                   QByteArray("</CompanyName></CompanyRet></CompanyQueryRs></QBXMLMsgsRs></QBXML>");
        QTest::newRow("an attribute") << QByteArray("<QBXML><QBXMLMsgsRs><CompanyQueryRs statusCode=\"0\" "
                                                    "statusMessage=\"") +
                                             longest + QByteArray("\"/></QBXMLMsgsRs></QBXML>");
    }
    void longestTexts_areRead()
    {
        QFETCH(QByteArray, document);
        const QList<QbResponse> responses = parseResponseDocument(document, {1024, 64});
        QCOMPARE(responses.size(), 1);
        const QString read = responses[0].company ? responses[0].company->name : responses[0].status.message;
        QCOMPARE(read, QString(64, u'x'));
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
        try {
            parseResponseDocument(document, {qint64(16) << 20, 64}, [&readUpTo](qint64 done, qint64) {
                readUpTo = done;
                return true;
            });
            QFAIL("the document was read");
        } catch (const QbError& error) {
            QVERIFY2(error.message().contains(QStringLiteral("longer than any QuickBooks answer holds")),
                     qPrintable(error.message()));
        }
        QVERIFY2(readUpTo <= qint64(2) << 20, qPrintable(QString::number(readUpTo)));
    }

    void shortAnswers_areRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("claimed");
        QTest::addColumn<QString>("reason");
        QTest::newRow("cut inside the first slice") << QByteArray("<QBXML><QBXMLMsgsRs/></QBXML>") << qint64(40)
                                                    << QStringLiteral("it ends after 29 of its 40 bytes");
        QTest::newRow("cut at the end of a slice")
            << QByteArray("<QBXML>") + QByteArray(1048561, ' ') + QByteArray("</QBXML>") << qint64(2097152)
            << QStringLiteral("it ends after 1048576 of its 2097152 bytes");
    }
    void shortAnswers_areRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, claimed);
        QFETCH(QString, reason);
        ShortBuffer answer(bytes, claimed);
        try {
            parseResponseDevice(answer);
            QFAIL("the answer was read");
        } catch (const QbError& error) {
            QVERIFY2(error.message().contains(reason), qPrintable(error.message()));
        }
    }

    void mismatch_namesTheFirstDifference_data()
    {
        QTest::addColumn<QByteArray>("responses");
        QTest::addColumn<QString>("message");
        const QString prefix = QStringLiteral("The QuickBooks answer does not fit the requests sent: ");
        QTest::newRow("fits") << QByteArray("<CompanyQueryRs statusCode='0'/><EmployeeQueryRs statusCode='1'/>")
                              << QString();
        QTest::newRow("one short") << QByteArray("<CompanyQueryRs statusCode='0'/>")
                                   << prefix + QStringLiteral("1 responses came back for 2 requests.");
        QTest::newRow("other kind")
            << QByteArray("<CompanyQueryRs statusCode='0'/><PayrollItemNonWageQueryRs statusCode='0'/>")
            << prefix +
                   QStringLiteral("response 1 is <PayrollItemNonWageQueryRs> where <EmployeeQueryRs> was expected.");
        QTest::newRow("other request id")
            << QByteArray(
                   "<CompanyQueryRs requestID='0' statusCode='0'/><EmployeeQueryRs requestID='7' statusCode='0'/>")
            << prefix + QStringLiteral("response 1 answers the request numbered 7.");
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

    void conversation_closesWhatItOpened_data()
    {
        QTest::addColumn<QString>("failAt");
        QTest::addColumn<QStringList>("calls");
        const QString open = QStringLiteral("open Tarrow Software/Tarrow Software");
        QTest::newRow("no failure") << QString(QLatin1Char('-'))
                                    << QStringList{open, QStringLiteral("begin"), QStringLiteral("process"),
                                                   QStringLiteral("end"), QStringLiteral("close")};
        QTest::newRow("connection refused") << QStringLiteral("open") << QStringList{open};
        QTest::newRow("session refused") << QStringLiteral("begin")
                                         << QStringList{open, QStringLiteral("begin"), QStringLiteral("close")};
        QTest::newRow("request failed") << QStringLiteral("process")
                                        << QStringList{open, QStringLiteral("begin"), QStringLiteral("process"),
                                                       QStringLiteral("end"), QStringLiteral("close")};
    }
    void conversation_closesWhatItOpened()
    {
        QFETCH(QString, failAt);
        QFETCH(QStringList, calls);
        QStringList made;
        {
            QbConversation conversation(std::make_unique<RecordingTransport>(made, failAt));
            try {
                conversation.open();
                QCOMPARE(conversation.hostMajorVersion(), QStringLiteral("34"));
            } catch (const QbError& error) {
                QCOMPARE(error.message(), QStringLiteral("failed at ") + made.last());
            }
        }
        QCOMPARE(made, calls);
    }
};

QTEST_MAIN(TestQbXml)
#include "tst_qbxml.moc"
