#include "acquire/qb/simulatedquickbooks.h"

#include <QFile>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

// Ann sorts before Zed although she comes second; her April paycheck lies outside the first quarter.
const QByteArray kCompany = R"({
  "host": {"productName": "QuickBooks <Test> & \"Co\"", "majorVersion": "33"},
  "company": {"name": "Acme & Sons", "legalName": "Acme & Sons LLC", "ein": "12-3456789",
              "address": {"addr1": "1 Main St", "city": "Chicago", "state": "IL", "postalCode": "60601"}},
  "employees": [
    {"name": "Zed A Young", "firstName": "Zed", "middleName": "A", "lastName": "Young", "ssn": "900-00-0002",
     "customFields": {"SOC": "15-1252"}},
    {"name": "Ann Baker", "firstName": "Ann", "lastName": "Baker", "isActive": false}],
  "payrollItems": [{"name": "Salary", "kind": "wage"}, {"name": "Hourly", "kind": "wage"},
    {"name": "IL - Unemployment Company", "kind": "nonwage", "type": "Tax"},
    {"name": "Federal Withholding", "kind": "nonwage", "type": "Tax"},
    {"name": "Health & Dental", "kind": "nonwage", "type": "Deduction"}],
  "paychecks": [
    {"employee": "Zed A Young", "date": "2025-03-31", "lines": [{"item": "Salary", "amount": "2000.00"},
      {"item": "IL - Unemployment Company", "incomeSubjectToTax": "2000.00", "wageBase": "1500.00",
       "rate": "3.175", "amount": "47.63"},
      {"item": "Federal Withholding", "incomeSubjectToTax": "2000.00", "amount": "-99.00"},
      {"item": "Health & Dental", "amount": "-50.00"}]},
    {"employee": "Ann Baker", "date": "2025-01-01", "hours": "40", "lines": [
      {"item": "Hourly", "hours": "40", "rate": "20", "amount": "800.00"},
      {"item": "IL - Unemployment Company", "incomeSubjectToTax": "800.00", "amount": "25.40"},
      {"item": "Federal Withholding", "incomeSubjectToTax": "800.00", "amount": "-40.00"}]},
    {"employee": "Ann Baker", "date": "2025-04-01", "hours": "10", "lines": [
      {"item": "Hourly", "hours": "10", "amount": "200.00"},
      {"item": "IL - Unemployment Company", "wageBase": "200.00", "amount": "6.35"}]}]})";
const QByteArray kEmpty = R"({"company": {"name": "Empty Co"}})";
const QByteArray kNoPayroll =
    R"({"company": {"name": "X"}, "payrollSubscription": false, "employees": [{"name": "A"}]})";

const QString kAllEmployees =
    u"<EmployeeQueryRq requestID=\"1\"><ActiveStatus>All</ActiveStatus><OwnerID>0</OwnerID></EmployeeQueryRq>"_s;
const QString kItems =
    u"<PayrollItemNonWageQueryRq requestID=\"3\"><ActiveStatus>All</ActiveStatus></PayrollItemNonWageQueryRq>"_s;

QString period(const QString& from, const QString& to)
{
    return u"<ReportPeriod><FromReportDate>%1</FromReportDate><ToReportDate>%2</ToReportDate>"
           "</ReportPeriod>"_s.arg(from, to);
}

QString detail(const QString& type, const QString& from = u"2025-01-01"_s, const QString& to = u"2025-03-31"_s)
{
    return u"<PayrollDetailReportQueryRq requestID=\"2\"><PayrollDetailReportType>%1"
           "</PayrollDetailReportType>%2<ReportDetailLevelFilter>AllExceptSummary"
           "</ReportDetailLevelFilter><IncludeColumn>Name</IncludeColumn></PayrollDetailReportQueryRq>"_s.arg(
               type, period(from, to));
}

const QString kSummary = u"<PayrollSummaryReportQueryRq requestID=\"2\"><PayrollSummaryReportType>"
                         "PayrollSummary</PayrollSummaryReportType>%1</PayrollSummaryReportQueryRq>"_s.arg(
                             period(u"2025-01-01"_s, u"2025-03-31"_s));

/// An element of the response with its attributes, text and children.
struct Node
{
    QString name;
    QXmlStreamAttributes attributes;
    QString text;
    QList<Node> children;
};

Node readNode(QXmlStreamReader& xml)
{
    Node node{xml.name().toString(), xml.attributes(), {}, {}};
    while (xml.readNext() != QXmlStreamReader::EndElement && !xml.atEnd()) {
        if (xml.isStartElement()) {
            node.children.append(readNode(xml));
        } else if (xml.isCharacters()) {
            node.text += xml.text();
        }
    }
    return node;
}

const QString kNone = u"<none>"_s;

/// "A/B:1/@c": attribute c of the second B inside A; the text when the path ends at an element.
QString valueAt(const Node& root, const QString& path)
{
    const Node* node = &root;
    for (const QString& step : path.split(u'/')) {
        if (step.startsWith(u'@')) {
            return node->attributes.hasAttribute(step.mid(1)) ? node->attributes.value(step.mid(1)).toString() : kNone;
        }
        const QString name = step.section(u':', 0, 0);
        int skip = step.section(u':', 1).toInt();
        const auto found = std::find_if(node->children.begin(), node->children.end(),
                                        [&](const Node& child) { return child.name == name && skip-- == 0; });
        if (found == node->children.end()) {
            return kNone;
        }
        node = &*found;
    }
    return node->text.trimmed();
}

/// "col N" describes the column with colID N, "row N" the row numbered N, cells in colID order.
QString describe(const Node& reportRet, const QString& key)
{
    const QString number = key.section(u' ', 1);
    for (const Node& child : reportRet.children) {
        if (key.startsWith("col"_L1) && child.name == "ColDesc"_L1 && child.attributes.value("colID"_L1) == number) {
            QStringList titles;
            for (const Node& title : child.children) {
                if (title.name == "ColTitle"_L1) {
                    titles << title.attributes.value("value"_L1).toString();
                }
            }
            return child.attributes.value("dataType"_L1).toString() + u':' + titles.join(u'|');
        }
        for (const Node& row : child.name == "ReportData"_L1 ? child.children : QList<Node>()) {
            if (!key.startsWith("row"_L1) || row.attributes.value("rowNumber"_L1) != number) {
                continue;
            }
            if (row.name == "TextRow"_L1) {
                return u"TextRow "_s + row.attributes.value("value"_L1).toString();
            }
            QMap<int, QString> cells;
            for (const Node& cell : row.children) {
                cells.insert(cell.attributes.value("colID"_L1).toInt(), cell.attributes.value("value"_L1).toString());
            }
            QStringList texts;
            for (auto cell = cells.begin(); cell != cells.end(); ++cell) {
                texts << u"%1=%2"_s.arg(cell.key()).arg(cell.value());
            }
            return row.name + u' ' + texts.join(u'|');
        }
    }
    return kNone;
}

} // namespace

class TestSimulatedQuickBooks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    /// Each check is "path=value" (see valueAt) or, for the first response's report, "col N=…" or "row N=…".
    void answers_data()
    {
        QTest::addColumn<QByteArray>("company");
        QTest::addColumn<QString>("request");
        QTest::addColumn<QStringList>("checks");

        QTest::newRow("no custom fields without owner 0")
            << kCompany << u"<EmployeeQueryRq><ActiveStatus>All</ActiveStatus></EmployeeQueryRq>"_s
            << QStringList{u"EmployeeQueryRs/EmployeeRet/DataExtRet=<none>"_s, u"EmployeeQueryRs/@requestID=<none>"_s};
        QTest::newRow("active only by default")
            << kCompany << u"<EmployeeQueryRq/>"_s << QStringList{u"EmployeeQueryRs/EmployeeRet:1=<none>"_s};
        QTest::newRow("non-wage items")
            << kCompany << kItems
            << QStringList{u"PayrollItemNonWageQueryRs/PayrollItemNonWageRet/Name=IL - Unemployment Company"_s,
                           u"PayrollItemNonWageQueryRs/PayrollItemNonWageRet:2/NonWageType=Deduction"_s,
                           u"PayrollItemNonWageQueryRs/PayrollItemNonWageRet:3=<none>"_s};
        QTest::newRow("unsupported request")
            << kCompany << u"<InvoiceQueryRq requestID=\"9\"/>"_s
            << QStringList{u"InvoiceQueryRs/@statusCode=3040"_s,
                           u"InvoiceQueryRs/@statusMessage=The request InvoiceQueryRq is not supported "
                           "by the simulated QuickBooks."_s};
        QTest::newRow("empty lists") << kEmpty << kAllEmployees + kItems
                                     << QStringList{
                                            u"EmployeeQueryRs/@statusCode=1"_s, u"EmployeeQueryRs/EmployeeRet=<none>"_s,
                                            u"PayrollItemNonWageQueryRs/@statusMessage=A query request did not find a "
                                            "matching object in QuickBooks"_s};
        QTest::newRow("no payroll subscription")
            << kNoPayroll << kItems + detail(u"PayrollItemDetail"_s) + kSummary + kAllEmployees
            << QStringList{u"PayrollItemNonWageQueryRs/@statusCode=3250"_s,
                           u"PayrollItemNonWageQueryRs/PayrollItemNonWageRet=<none>"_s,
                           u"PayrollDetailReportQueryRs/@statusMessage=This feature requires a "
                           "subscription to a QuickBooks payroll service."_s,
                           u"PayrollSummaryReportQueryRs/@statusCode=3250"_s,
                           u"PayrollSummaryReportQueryRs/ReportRet=<none>"_s,
                           u"EmployeeQueryRs/EmployeeRet/Name=A"_s};

        // Ann's January 1 and Zed's March 31 are inside the quarter, Ann's April 1 is not.
        QTest::newRow("state taxes detail")
            << kCompany << detail(u"EmployeeStateTaxesDetail"_s)
            << QStringList{u"PayrollDetailReportQueryRs/ReportRet/ReportSubtitle=January 1 through "
                           "March 31, 2025"_s,
                           u"PayrollDetailReportQueryRs/ReportRet/NumRows=7"_s,
                           u"col 1=STRTYPE:"_s,
                           u"col 7=PRICETYPE:Rate"_s,
                           u"row 1=TextRow Ann Baker"_s,
                           u"row 2=DataRow 2=Ann Baker|3=2025-01-01|4=IL - Unemployment Company|"
                           "5=800.00|8=25.40"_s,
                           u"row 3=SubtotalRow 2=Total Ann Baker|5=800.00|8=25.40"_s,
                           u"row 5=DataRow 2=Zed A Young|3=2025-03-31|4=IL - Unemployment Company|"
                           "5=2000.00|6=1500.00|7=3.175|8=47.63"_s,
                           u"row 7=TotalRow 2=TOTAL|5=2800.00|6=1500.00|8=73.03"_s,
                           u"row 8=<none>"_s};
        QTest::newRow("payroll item detail")
            << kCompany << detail(u"PayrollItemDetail"_s)
            << QStringList{u"row 3=DataRow 2=Ann Baker|3=2025-01-01|4=Federal Withholding|5=800.00|8=-40.00"_s,
                           u"row 8=DataRow 2=Zed A Young|3=2025-03-31|4=Health & Dental|8=-50.00"_s,
                           u"row 9=SubtotalRow 2=Total Zed A Young|5=4000.00|6=1500.00|8=-101.37"_s};
        QTest::newRow("second quarter detail")
            << kCompany << detail(u"EmployeeStateTaxesDetail"_s, u"2025-04-01"_s, u"2025-06-30"_s)
            << QStringList{u"row 2=DataRow 2=Ann Baker|3=2025-04-01|4=IL - Unemployment Company|"
                           "6=200.00|8=6.35"_s};
        QTest::newRow("summary") << kCompany << kSummary
                                 << QStringList{
                                        u"col 2=QUANTYPE:|Hours"_s,
                                        u"col 3=PRICETYPE:|Rate"_s,
                                        u"col 4=AMTTYPE:Ann Baker|Amount"_s,
                                        u"col 7=AMTTYPE:Zed A Young|Amount"_s,
                                        u"col 10=AMTTYPE:TOTAL|Amount"_s,
                                        u"col 11=<none>"_s,
                                        u"row 4=DataRow 1=Hourly|2=40.00|3=20|4=800.00|8=40.00|9=20|10=800.00"_s,
                                        u"row 5=SubtotalRow 1=Total Gross Pay|2=40.00|4=800.00|7=2000.00|8=40.00|"
                                        "10=2800.00"_s,
                                        u"row 8=SubtotalRow 1=Total Taxes Withheld|4=-40.00|7=-99.00|10=-139.00"_s};

        QFile demo(QFINDTESTDATA("../../data/demo-company.json"));
        QVERIFY(demo.open(QIODevice::ReadOnly));
        QTest::newRow("demo company: twelve employees")
            << demo.readAll() << kAllEmployees
            << QStringList{u"EmployeeQueryRs/EmployeeRet:11/Name=Grace L Sutherland"_s,
                           u"EmployeeQueryRs/EmployeeRet:12=<none>"_s};
    }
    void answers()
    {
        QFETCH(QByteArray, company);
        QFETCH(QString, request);
        QFETCH(QStringList, checks);
        const std::unique_ptr<SimulatedQuickBooks> quickBooks = SimulatedQuickBooks::fromJson(company);
        quickBooks->openConnection(u"id"_s, u"Wagetrove"_s);
        quickBooks->beginSession();
        QXmlStreamReader xml(quickBooks->processRequest(
            u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<?qbxml version=\"3.0\"?>\n<QBXML>"
            "<QBXMLMsgsRq onError=\"continueOnError\">%1</QBXMLMsgsRq></QBXML>"_s.arg(request)
                .toUtf8()));
        QVERIFY(xml.readNextStartElement());
        const Node root = readNode(xml);
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        const Node responses = root.children.value(0);
        for (const QString& check : checks) {
            const QString key = check.section(u'=', 0, 0);
            const QString value = key.startsWith("col "_L1) || key.startsWith("row "_L1)
                                      ? describe(responses.children.value(0).children.value(0), key)
                                      : valueAt(responses, key);
            QCOMPARE(key + u'=' + value, check);
        }
    }

    /// A company with employee A and wage item Pay, and one paycheck; none for the missing file.
    void badFixtures_data()
    {
        QTest::addColumn<QByteArray>("paycheck");
        QTest::addColumn<QString>("message");

        const QString cannot = u"The simulated QuickBooks company file could not be read: "_s;
        QTest::newRow("unknown employee") << QByteArray(R"({"employee": "Nobody", "date": "2025-01-15"})")
                                          << cannot + u"paycheck 1 (Nobody on 2025-01-15) names the "
                                                      "unknown employee \"Nobody\"."_s;
        QTest::newRow("bad money")
            << QByteArray(R"({"employee": "A", "date": "2025-01-15", "lines": [{"item": "Pay", "amount": "1.2.3"}]})")
            << cannot + u"line 1 of paycheck 1 (A on 2025-01-15) has the amount \"1.2.3\", which is "
                        "not a number."_s;
        QTest::newRow("money as a number") << QByteArray(R"({"employee": "A", "date": "2025-01-15", "hours": 80})")
                                           << cannot + u"paycheck 1 (A on 2025-01-15) has a \"hours\" "
                                                       "written as a JSON number; write it as a text "
                                                       "such as \"2000.00\"."_s;
        QTest::newRow("no such date") << QByteArray(R"({"employee": "A", "date": "2025-02-30"})")
                                      << cannot + u"paycheck 1 (A on 2025-02-30) has a date that is not "
                                                  "a real date written yyyy-mm-dd."_s;
        QTest::newRow("missing file") << QByteArray()
                                      << u"The simulated QuickBooks company file /no/such/company.json "
                                         "could not be read: there is no such file."_s;
    }
    void badFixtures()
    {
        QFETCH(QByteArray, paycheck);
        QFETCH(QString, message);
        try {
            if (paycheck.isEmpty()) {
                SimulatedQuickBooks::fromFixture(u"/no/such/company.json"_s);
            } else {
                SimulatedQuickBooks::fromJson(R"({"company": {"name": "X"}, "employees": [{"name": "A"}],
                    "payrollItems": [{"name": "Pay", "kind": "wage"}], "paychecks": [)" +
                                              paycheck + "]}");
            }
            QFAIL("The fixture was accepted.");
        } catch (const QbError& error) {
            QCOMPARE(error.message(), message);
        }
    }

    void sessionErrors_data()
    {
        QTest::addColumn<QByteArray>("company");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("message");

        const QByteArray refusing = R"({"company": {"name": "X"}, "refuseAccess": true})";
        const QString refused = u"QuickBooks refused this application access to the company file."_s;
        const QString noSession = u"No QuickBooks session is open, so the request cannot be sent."_s;
        QTest::newRow("refused connection") << refusing << QStringList{u"open"_s} << refused;
        QTest::newRow("refused session") << refusing << QStringList{u"begin"_s} << refused;
        QTest::newRow("request before session") << kEmpty << QStringList{u"open"_s, u"request"_s} << noSession;
        QTest::newRow("request after session")
            << kEmpty << QStringList{u"open"_s, u"begin"_s, u"end"_s, u"request"_s} << noSession;
    }
    void sessionErrors()
    {
        QFETCH(QByteArray, company);
        QFETCH(QStringList, calls);
        QFETCH(QString, message);
        try {
            const std::unique_ptr<SimulatedQuickBooks> quickBooks = SimulatedQuickBooks::fromJson(company);
            for (const QString& call : calls) {
                if (call == "open"_L1) {
                    quickBooks->openConnection(u"id"_s, u"Wagetrove"_s);
                } else if (call == "begin"_L1) {
                    quickBooks->beginSession();
                } else if (call == "end"_L1) {
                    quickBooks->endSession();
                } else {
                    quickBooks->processRequest("<QBXML><QBXMLMsgsRq><HostQueryRq/></QBXMLMsgsRq></QBXML>");
                }
            }
            QFAIL("No call failed.");
        } catch (const QbError& error) {
            QCOMPARE(error.message(), message);
        }
    }
};

QTEST_GUILESS_MAIN(TestSimulatedQuickBooks)
#include "tst_simulatedquickbooks.moc"
