#include "acquire/qb/simulatedquickbooks.h"

#include <QTest>
#include <QXmlStreamReader>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

// Ann has left the company; she comes second.
const QByteArray kCompany = R"({"company": {"name": "Acme & Sons", "ein": "12-3456789"},
  "employees": [{"name": "Zed A Young", "ssn": "900-00-0002", "customFields": {"SOC": "15-1252"}},
                {"name": "Ann Baker", "isActive": false}]})";
const QByteArray kEmpty = R"({"company": {"name": "Empty Co"}})";
const QByteArray kNoPayroll =
    R"({"company": {"name": "X"}, "payrollSubscription": false, "employees": [{"name": "A"}]})";

const QString kAllEmployees =
    u"<EmployeeQueryRq requestID=\"1\"><ActiveStatus>All</ActiveStatus><OwnerID>0</OwnerID></EmployeeQueryRq>"_s;
const QString kItems =
    u"<PayrollItemNonWageQueryRq requestID=\"3\"><ActiveStatus>All</ActiveStatus></PayrollItemNonWageQueryRq>"_s;
const QString kPeriod =
    u"<ReportPeriod><FromReportDate>2025-01-01</FromReportDate><ToReportDate>2025-03-31</ToReportDate></ReportPeriod>"_s;

/// Each response's element, request id and status, then the texts inside it in document order, as
/// "Element#id/code/message text text"; lines joined by "|".
QString responsesOf(const QByteArray& document)
{
    QXmlStreamReader xml(document);
    QStringList lines;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name().endsWith("Rs"_L1) && xml.name() != "QBXMLMsgsRs"_L1) {
            const QXmlStreamAttributes a = xml.attributes();
            lines << u"%1#%2/%3/%4"_s.arg(xml.name(), a.value("requestID"_L1), a.value("statusCode"_L1),
                                          a.value("statusMessage"_L1));
        } else if (xml.isCharacters() && !xml.isWhitespace() && !lines.isEmpty()) {
            lines.last() += u' ' + xml.text().toString();
        }
    }
    return xml.hasError() ? xml.errorString() : lines.join(u'|');
}

} // namespace

class TestSimulatedQuickBooks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    /// The answers a QuickBooks conversation reads: statuses, request ids, and the custom fields only when the
    /// query names their owner.
    void answers_data()
    {
        QTest::addColumn<QByteArray>("company");
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("responses");
        const QString found = u"0/Status OK"_s;
        QTest::newRow("all employees, with custom fields")
            << kCompany << kAllEmployees
            << u"EmployeeQueryRs#1/"_s + found +
                   u" 80000001-1735689600 Zed A Young true 900-00-0002 0 SOC STR255TYPE 15-1252 80000002-1735689600 Ann Baker false"_s;
        QTest::newRow("no custom fields without owner 0, no id without one asked")
            << kCompany << u"<EmployeeQueryRq><ActiveStatus>All</ActiveStatus></EmployeeQueryRq>"_s
            << u"EmployeeQueryRs#/"_s + found +
                   u" 80000001-1735689600 Zed A Young true 900-00-0002 80000002-1735689600 Ann Baker false"_s;
        QTest::newRow("empty lists")
            << kEmpty << kAllEmployees + kItems
            << u"EmployeeQueryRs#1/1/A query request did not find a matching object in QuickBooks|"
               "PayrollItemNonWageQueryRs#3/1/A query request did not find a matching object in QuickBooks"_s;
        const QString refused = u"3250/This feature requires a subscription to a QuickBooks payroll service."_s;
        QTest::newRow("no payroll subscription: the lists of people still answer")
            << kNoPayroll
            << kItems +
                   u"<PayrollDetailReportQueryRq requestID=\"2\"><PayrollDetailReportType>PayrollItemDetail"
                   "</PayrollDetailReportType>%1</PayrollDetailReportQueryRq><PayrollSummaryReportQueryRq requestID="
                   "\"4\"><PayrollSummaryReportType>PayrollSummary</PayrollSummaryReportType>%1"
                   "</PayrollSummaryReportQueryRq>"_s.arg(kPeriod) +
                   kAllEmployees
            << u"PayrollItemNonWageQueryRs#3/%1|PayrollDetailReportQueryRs#2/%1|PayrollSummaryReportQueryRs#4/%1|"
               "EmployeeQueryRs#1/0/Status OK 80000001-1735689600 A true"_s.arg(refused);

        // Company files refused: a company with employee A, wage item Pay and the one paycheck given; none at all.
        const auto paycheck = [](const char* json) {
            return R"({"company": {"name": "X"}, "employees": [{"name": "A"}], "payrollItems": [{"name": "Pay", )"
                   R"("kind": "wage"}], "paychecks": [)" +
                   QByteArray(json) + "]}";
        };
        const QString cannot = u"The simulated QuickBooks company file could not be read: "_s;
        QTest::newRow("unknown employee")
            << paycheck(R"({"employee": "Nobody", "date": "2025-01-15"})") << kAllEmployees
            << cannot + u"paycheck 1 (Nobody on 2025-01-15) names the unknown employee \"Nobody\"."_s;
        QTest::newRow("bad money")
            << paycheck(R"({"employee": "A", "date": "2025-01-15", "lines": [{"item": "Pay", "amount": "1.2.3"}]})")
            << kAllEmployees
            << cannot + u"line 1 of paycheck 1 (A on 2025-01-15) has the amount \"1.2.3\", which is not a number."_s;
        QTest::newRow("missing file") << QByteArray() << kAllEmployees
                                      << u"The simulated QuickBooks company file /no/such/company.json could not be "
                                         "read: there is no such file."_s;
    }
    void answers()
    {
        QFETCH(QByteArray, company);
        QFETCH(QString, request);
        QFETCH(QString, responses);
        QString answered;
        try {
            const std::unique_ptr<SimulatedQuickBooks> quickBooks =
                company.isEmpty() ? SimulatedQuickBooks::fromFixture(u"/no/such/company.json"_s)
                                  : SimulatedQuickBooks::fromJson(company);
            quickBooks->openConnection(u"id"_s, u"Wagetrove"_s);
            quickBooks->beginSession();
            answered = responsesOf(quickBooks->processRequest(
                u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<?qbxml version=\"3.0\"?>\n<QBXML>"
                "<QBXMLMsgsRq onError=\"continueOnError\">%1</QBXMLMsgsRq></QBXML>"_s.arg(request)
                    .toUtf8()));
        } catch (const QbError& error) {
            answered = error.message();
        }
        QCOMPARE(answered, responses);
    }
};

QTEST_GUILESS_MAIN(TestSimulatedQuickBooks)
#include "tst_simulatedquickbooks.moc"
