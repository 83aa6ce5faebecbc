// Get Payroll Data end to end through the simulated QuickBooks, and the wage loaders over hand-made reports.
#include "acquire/getpayrolldata.h"
#include "acquire/payrolldatawindows.h"
#include "acquire/payrollitems.h"
#include "acquire/qb/qbxmlresponses.h"
#include "acquire/reportloaders.h"
#include "app/period.h"
#include "app/settings.h"
#include "common/inifile.h"
#include "tests/support/filebytes.h"
#include "tests/support/generatedpayroll.h"
#include "tests/support/startedprogram.h"
#include "tests/support/storefixture.h"

#include <QSqlQuery>
#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

const char* const kIL = "IL - Unemployment Company";
const char* const kSWH = "MA - Withholding";

/// Three employees, one with an accented name, and the items the lists must sort out. %1 is the host's major
/// version, %2 further members, %3 the paychecks.
const char* const kCompany = R"({
  "host": {"majorVersion": "%1"}, %2
  "company": {"name": "Cole Bakery", "legalName": "Cole Bakery LLC", "ein": "36-7654321",
              "address": {"addr1": "1 Elm St", "city": "Peoria", "state": "il", "postalCode": "61602"}},
  "employees": [
    {"name": "Ana B Cole", "firstName": "Ana", "middleName": "B", "lastName": "Cole", "ssn": "111-22-3333",
     "customFields": {"SOC": "35-2011"}},
    {"name": "Lee Diaz", "firstName": "Lee", "lastName": "Diaz, Jr.", "ssn": "222-33-4444",
     "customFields": {"Shift": "night"}},
    {"name": "Renée Dupré", "firstName": "Renée", "lastName": "Dupré", "ssn": "333-44-5555"}],
  "payrollItems": [{"name": "Hourly Rate", "kind": "wage"}, {"name": "IL - Unemployment Company", "kind": "nonwage",
    "type": "Tax"}, {"name": "IL - Withholding", "kind": "nonwage", "type": "Tax"}, {"name": "IL - Surcharge",
    "kind": "nonwage", "type": "Tax"}, {"name": "MA - Unemployment Company", "kind": "nonwage", "type": "Tax"},
    {"name": "MA - Withholding", "kind": "nonwage", "type": "Tax"}, {"name": "Medicare Employee", "kind": "nonwage",
    "type": "Tax"}, {"name": "Health Insurance", "kind": "nonwage", "type": "Deduction"}],
  "paychecks": [%3]})";

/// Paychecks "employee,date,gross,tax item,wage base,tax,hours" split at ";", each a wage line of the gross and
/// one tax line of the item: IL or MA for the state's unemployment item, SWH for Massachusetts withholding.
const QString kFirstQuarter =
    u"Ana B Cole,2025-01-15,2000.00,IL,2000.00,63.50,80;Lee Diaz,2025-03-14,1500.00,IL,1500.00,47.63,"_s;

QByteArray company(const QString& paychecks = kFirstQuarter, const QString& version = u"34"_s,
                   const QString& members = {})
{
    QStringList checks;
    for (const QString& paycheck : paychecks.split(u';')) {
        const QStringList p = paycheck.split(u',');
        const QString item = p[3] == "SWH"_L1 ? QString::fromLatin1(kSWH) : p[3] + u" - Unemployment Company"_s;
        const QString hours = p[6].isEmpty() ? QString() : u"\"hours\": \"%1\", "_s.arg(p[6]);
        const QString base = p[4].isEmpty() ? QString() : u", \"wageBase\": \"%1\", \"rate\": \"3.175\""_s.arg(p[4]);
        checks << u"{\"employee\": \"%1\", \"date\": \"%2\", %3\"lines\": [{\"item\": \"Hourly Rate\", \"amount\": "
                  "\"%4\"}, {\"item\": \"%5\", \"incomeSubjectToTax\": \"%4\", \"amount\": \"%6\"%7}]}"_s.arg(
                      p[0], p[1], hours, p[2], item, p[5], base);
    }
    return QString::fromUtf8(kCompany).arg(version, members, checks.join(u",\n")).toUtf8();
}

/// The windows of Get Payroll Data: each one shown is recorded as "window: items offered" and answered once with
/// what the test set, cancelled after.
class ScriptedWindows : public PayrollDataWindows
{
public:
    AccessNoticeAnswer notice{false, false};
    std::optional<SuiItemChoice> suiChoice;
    std::optional<QString> swhChoice;
    QStringList shown;

    AccessNoticeAnswer accessNotice() override
    {
        shown << u"AccessNotice: "_s;
        return std::exchange(notice, AccessNoticeAnswer{false, false});
    }
    std::optional<SuiItemChoice> chooseSuiItem(const QStringList& items, const QString&) override
    {
        shown << u"Form2: "_s + items.join(u", "_s);
        return std::exchange(suiChoice, std::nullopt);
    }
    std::optional<QString> chooseSwhItem(const QStringList& items) override
    {
        shown << u"Form7: "_s + items.join(u", "_s);
        return std::exchange(swhChoice, std::nullopt);
    }
};

const QString kSuccess = u"Program has gathered all the data. Click the View Totals button and check the amounts"_s;

} // namespace

class TestGetPayrollData : public QObject, protected test::StartedProgram
{
    Q_OBJECT

private:
    ScriptedWindows m_windows;

    QString writeCompany(const QByteArray& json = company())
    {
        const QString path = m_documents->path() + u"/company.json"_s;
        return test::writeBytes(path, json) ? u"simulated:"_s + path : QString();
    }

    /// Get Payroll Data for a quarter of 2025 in the given state, through `connection`.
    void run(const QString& connection, int position = 2, int quarter = 1)
    {
        m_session->QuickBooksConnection = connection;
        selectState(*m_session, position);
        clickQuarter(*m_session, m_state, quarter, QDate(2025, 1, 1));
        GetPayrollData(*m_session, m_state, m_dialogs, m_windows);
    }

    QString query(const QString& statement) { return test::storeRows(dataFolder(), statement); }

    /// Name|gross|taxable|months|hours|SWH wages|SWH amount of each employee, by SS.
    QString employees()
    {
        return query(u"SELECT Name, printf('%.2f|%.2f', GrossWages / 10000.0, TaxableWages / 10000.0), Month1 || "
                     "Month2 || Month3, printf('%g|%.2f|%.2f', TotalHours / 10000.0, SWHWages / 10000.0, SWHAmount / "
                     "10000.0) FROM Employee ORDER BY SS"_s);
    }

    QString storeDump()
    {
        return query(u"SELECT * FROM Employer"_s) + u'#' + query(u"SELECT * FROM Employee ORDER BY Name"_s) + u'#' +
               query(u"SELECT * FROM StateIDTable"_s) + u'#' + query(u"SELECT * FROM Submitter"_s);
    }

private Q_SLOTS:
    void init()
    {
        resetProgram();
        QVERIFY(writeSettings("[Options]\r\nMessage=N\r\nWageLimit=7000\r\n"));
        QCOMPARE(startProgram(), StartupResult::Ready);
        m_windows = ScriptedWindows();
    }

    void runs_data()
    {
        QTest::addColumn<QString>("setup");   // the host's version, a member of the company, "none" or "short replay"
        QTest::addColumn<QString>("message"); // the last message shown, or a part of it
        const QString unsupported = u"The version of QuickBooks that you are running is not supported by the "
                                    "version of Wagetrove. Check https://"_s;
        const QString failed = u"Wagetrove could not get the payroll data from QuickBooks. "_s;
        QTest::newRow("version 35, the last supported") << u"35"_s << kSuccess;
        QTest::newRow("version 100, compared as a number") << u"100"_s << kSuccess;
        QTest::newRow("version 36") << u"36"_s << unsupported;
        QTest::newRow("version 4, as text after 35") << u"4"_s << unsupported;
        QTest::newRow("no connection set") << u"none"_s << u"Wagetrove does not know how to reach QuickBooks"_s;
        QTest::newRow("access refused") << u"\"refuseAccess\": true,"_s
                                        << failed + u"QuickBooks refused this application access"_s;
        QTest::newRow("no payroll subscription")
            << u"\"payrollSubscription\": false,"_s << u"Can't find payroll item."_s;
        QTest::newRow("answer does not fit")
            << u"short replay"_s
            << failed +
                   u"The QuickBooks answer does not fit the requests sent: 1 responses came back for 4 requests."_s;
    }
    void runs()
    {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        QString connection = writeCompany(company(kFirstQuarter, setup.front().isDigit() ? setup : u"34"_s,
                                                  setup.startsWith(u'"') ? setup : QString()));
        if (setup == "none"_L1) {
            connection.clear();
        } else if (setup == "short replay"_L1) {
            connection = u"replay:"_s + dataFolder() + u"short.xml"_s;
            QVERIFY(test::writeBytes(connection.mid(7),
                                     "<QBXML><QBXMLMsgsRs><CompanyQueryRs statusCode=\"0\"/></QBXMLMsgsRs></QBXML>"));
        }
        run(connection);
        QVERIFY2(!m_dialogs.messages().isEmpty() && m_dialogs.messages().last().contains(message),
                 qPrintable(m_dialogs.messages().join(u'|')));
        const bool gathered = message == kSuccess;
        QCOMPARE((QList<bool>{m_session->DataError, m_state.resultsEnabled, m_session->Store.isOpen()}),
                 (QList<bool>{!gathered, gathered, false}));
        QCOMPARE(m_dialogs.busyDepth(), 0);
        // The one message, or the notice that the payroll subscription is missing before it.
        QCOMPARE(m_dialogs.messages().first(), setup.contains("payrollSubscription"_L1) ? kNoPayrollSubscriptionMessage
                                                                                        : m_dialogs.messages().last());
    }

    void mergeQuestion_cancelledLoadsNothing()
    {
        m_session->MergeFiles = true;
        run(writeCompany());
        QCOMPARE(m_dialogs.messages(), QStringList{u"The Merge option is set to Yes. Click OK to continue"_s});
        QCOMPARE(query(u"SELECT count(*) FROM Employee"_s), u"0"_s);
    }

    void firstAndSecondRun()
    {
        run(writeCompany());
        QCOMPARE(m_dialogs.messages(), QStringList{kSuccess});
        QVERIFY(!m_session->Store.isOpen());
        QCOMPARE(query(u"SELECT CompanyID, EIN, Name, Address, City, State, Zip FROM Employer"_s),
                 u"1|36-7654321|COLE BAKERY LLC|1 ELM ST|PEORIA|IL|61602"_s);
        QCOMPARE((QStringList{m_session->EmployerAddress, m_session->frmTXMag.Text1, m_session->Form3.Text8,
                              m_session->Form3.Text9, m_session->Form3.Text2, m_session->Form3.Text6}),
                 (QStringList{u"COLE BAKERY LLC\r\n1 ELM ST\r\nPEORIA IL  61602"_s, u"COLE BAKERY LLC"_s,
                              u"36-7654321"_s, u" "_s, u"$3,500.00"_s, u"3.175"_s}));
        QCOMPARE(query(u"SELECT EIN, State, StateID, PayrollItem, SWHPayrollItem FROM StateIDTable"_s),
                 u"36-7654321|IL||IL - Unemployment Company|IL - Withholding"_s);
        QCOMPARE(query(u"SELECT EIN, Name, Address, City, State, Zip FROM Submitter"_s),
                 u"36-7654321|COLE BAKERY LLC|1 ELM ST|PEORIA|IL|61602"_s);
        // The wages of the detail report; no middle name is a blank, commas in names go.
        QCOMPARE(query(u"SELECT SS, Name, FirstName, MiddleName, LastName, UnitCode, QuarterEnding, GrossWages, "
                       "TaxableWages, Month1, Month2, Month3 FROM Employee ORDER BY Name"_s),
                 u"111223333|ANA B COLE|ANA|B|COLE| |032025|20000000|20000000|1|0|0\n"
                 "222334444|LEE DIAZ|LEE| |DIAZ  JR | |032025|15000000|15000000|0|0|1"_s);
        QVERIFY(m_windows.shown.isEmpty());

        // The second run finds the company's row, with the account number typed in since.
        QVERIFY(query(u"UPDATE StateIDTable SET StateID = '7654321', [County Code] = '5'"_s).isEmpty());
        QVERIFY(query(u"UPDATE Submitter SET Name = 'KEPT'"_s).isEmpty());
        run(writeCompany());
        QCOMPARE(m_session->Form3.Text9 + u'|' + m_session->StateAccountID, u"7654321|7654321"_s);
        QCOMPARE(query(u"SELECT count(*) FROM StateIDTable"_s) + u'|' + query(u"SELECT Name FROM Submitter"_s),
                 u"1|KEPT"_s);
    }

    void branches_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("mode"); // sui, gross or calc
        QTest::addColumn<int>("quarter");
        QTest::addColumn<QString>("paychecks");
        QTest::addColumn<QString>("stored"); // see employees()
        QTest::newRow("SUI item: each paycheck's month")
            << 2 << u"sui"_s << 2
            << u"Ana B Cole,2025-05-14,1000.00,IL,1000.00,31.75,80;Lee Diaz,2025-04-30,500.00,IL,400.00,12.70,;"
               "Lee Diaz,2025-06-13,500.00,IL,0.00,0.00,;Renée Dupré,2025-03-31,900.00,IL,900.00,28.58,"_s
            << u"ANA B COLE|1000.00|1000.00|010|0|0.00|0.00\nLEE DIAZ|1000.00|400.00|101|0|0.00|0.00"_s;
        QTest::newRow("gross pay: all months, hours, taxable 0")
            << 2 << u"gross"_s << 1
            << u"Ana B Cole,2025-02-14,1000.00,IL,1000.00,31.75,80;Renée Dupré,2025-03-14,700.00,IL,700.00,22.23,40.5"_s
            << u"ANA B COLE|1000.00|0.00|111|80|0.00|0.00\nRENÉE DUPRÉ|700.00|0.00|111|40.5|0.00|0.00"_s;
        QTest::newRow("computed taxable, third quarter: prior wages 6500, 7000 and 7200")
            << 2 << u"calc"_s << 3
            << u"Ana B Cole,2025-03-14,6500.00,IL,,0.00,;Ana B Cole,2025-08-14,1000.00,IL,,0.00,;Lee Diaz,2025-05-14,"
               "7000.00,IL,,0.00,;Lee Diaz,2025-08-14,1000.00,IL,,0.00,;Renée Dupré,2025-06-14,7200.00,IL,,0.00,;"
               "Renée Dupré,2025-09-12,1000.00,IL,,0.00,"_s
            << u"ANA B COLE|1000.00|500.00|111|0|0.00|0.00\nLEE DIAZ|1000.00|0.00|111|0|0.00|0.00\n"
               "RENÉE DUPRÉ|1000.00|0.00|111|0|0.00|0.00"_s;
        QTest::newRow("Massachusetts Quest: withholding and hours")
            << 5 << u"sui"_s << 1
            << u"Ana B Cole,2025-01-15,2000.00,MA,2000.00,37.40,80;Ana B Cole,2025-01-15,0.00,SWH,2000.00,-100.00,"_s
            << u"ANA B COLE|2000.00|2000.00|100|80|2000.00|100.00"_s;
        QTest::newRow("Massachusetts PFML: the year's paychecks, the quarter's taxable")
            << 6 << u"sui"_s << 2
            << u"Ana B Cole,2025-01-15,2000.00,MA,2000.00,37.40,;Ana B Cole,2025-05-15,3000.00,MA,3000.00,56.10,"_s
            << u"ANA B COLE|5000.00|3000.00|011|0|0.00|0.00"_s;
    }
    void branches()
    {
        QFETCH(int, position);
        QFETCH(QString, mode);
        QFETCH(int, quarter);
        QFETCH(QString, paychecks);
        QFETCH(QString, stored);
        m_session->UseSUIItem = mode == "sui"_L1;
        m_session->CalcTaxable = mode == "calc"_L1;
        m_windows.swhChoice = QString::fromLatin1(kSWH);
        run(writeCompany(company(paychecks)), position, quarter);
        QCOMPARE(m_dialogs.messages().last(), kSuccess);
        QCOMPARE(employees(), stored);
    }

    /// The payroll summary's columns are found by their titles among the employees stored.
    void summaryColumns_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QString>("loader");
        QTest::addColumn<QString>("stored");
        const QMap<int, QByteArray> titles = {
            {4, "Sam Ortiz 000-00-1234"}, {7, "Pat Unknown"}, {10, "renée dupré"}, {13, "ana COLE"}, {16, "TOTAL"}};
        QByteArray columns;
        for (int id = 1; id <= 16; ++id) {
            columns += "<ColDesc colID='" + QByteArray::number(id) + "'>" +
                       (titles.contains(id) ? "<ColTitle value='" + titles[id] + "'/>" : QByteArray()) + "</ColDesc>";
        }
        // Subtotal rows split at "/", their cells "colID=value" at ";".
        const auto rows = [&columns](const char* subtotals) {
            QByteArray data = columns + "<ReportData>";
            for (const QByteArray& row : QByteArray(subtotals).split('/')) {
                data += "<SubtotalRow>";
                for (const QByteArray& cell : row.split(';')) {
                    const QList<QByteArray> parts = cell.split('=');
                    data += "<ColData colID='" + parts[0] + "' value='" + parts[1] + "'/>";
                }
                data += "</SubtotalRow>";
            }
            return data + "</ReportData>";
        };
        QTest::newRow("title rule, a name not stored, accents and case")
            << rows("1=Total Gross Pay;2=10;4=100.00;7=5.00;10=200.00;11=3;13=300.00/1=Total Taxes;4=9.00") << u"Q3"_s
            << u"SAM ORTIZ|100.00|0.00|111|10|0.00|0.00\nRENÉE DUPRÉ|200.00|0.00|111|0|0.00|0.00\n"
               "ANA COLE|300.00|0.00|111|3|0.00|0.00"_s;
        QTest::newRow("an amount left out does not stop the later ones; a first quarter's taxable to the limit")
            << rows("1=Total Gross Pay;10=200.00;13=7300.00") << u"Q1"_s
            << u"SAM ORTIZ|1000.00|0.00|000|0|0.00|0.00\nRENÉE DUPRÉ|200.00|200.00|111|0|0.00|0.00\n"
               "ANA COLE|7300.00|7000.00|111|0|0.00|0.00"_s;
        QTest::newRow("year to date against the limit of 7000")
            << rows("1=Total Gross Pay;4=7500.00;10=8200.00;13=900.00") << u"year to date"_s
            << u"SAM ORTIZ|1000.00|500.00|000|0|0.00|0.00\nRENÉE DUPRÉ|1000.00|0.00|000|0|0.00|0.00\n"
               "ANA COLE|1000.00|1000.00|000|0|0.00|0.00"_s;
    }
    void summaryColumns()
    {
        QFETCH(QByteArray, report);
        QFETCH(QString, loader);
        QFETCH(QString, stored);
        m_session->Store.open(dataFolder() + WageStore::kFileName);
        QSqlQuery(m_session->Store.database())
            .exec(u"INSERT INTO Employee (Name, SS, GrossWages) VALUES ('SAM ORTIZ', '1', 10000000), "
                  "('RENÉE DUPRÉ', '2', 10000000), ('ANA COLE', '3', 10000000)"_s);
        const QList<QbResponse> responses =
            parseResponseDocument("<QBXML><QBXMLMsgsRs><PayrollSummaryReportQueryRs statusCode='0'><ReportRet>" +
                                  report + "</ReportRet></PayrollSummaryReportQueryRs></QBXMLMsgsRs></QBXML>");
        m_session->WageLimit = Currency::fromRaw(7000'0000);
        m_session->Quarter = loader == "Q1"_L1 ? u"1"_s : u"3"_s;
        m_session->CalcTaxable = true;
        if (loader == "year to date"_L1) {
            LoadYTD(*m_session, m_dialogs, &responses.first());
        } else {
            LoadPayrollSummary(*m_session, m_dialogs, &responses.first());
        }
        m_session->Store.close();
        QCOMPARE(employees(), stored);
        QCOMPARE(m_dialogs.messages(), QStringList());
    }

    /// The detail report's rows go to the listed employee of their name in any letter case, the first of two.
    void detailReport_findsTheFirstListedName()
    {
        // A row that names nobody is passed over before its date is read.
        QByteArray rows = "<DataRow><ColData colID='3' value='soon'/></DataRow>";
        for (const char* row : {"Sam Ortiz|2025-01-31|100.00|90.00", "RENÉE DUPRÉ|2025-02-28|200.00|200.00",
                                " renée dupré |2025-03-31|50.00|50.00", "Pat Unknown|2025-03-31|900.00|900.00"}) {
            const QList<QByteArray> cells = QByteArray(row).split('|');
            rows += "<DataRow><ColData colID='2' value='" + cells[0] + "'/><ColData colID='3' value='" + cells[1] +
                    "'/><ColData colID='4' value='IL - Unemployment Company'/><ColData colID='5' value='" + cells[2] +
                    "'/><ColData colID='6' value='" + cells[3] + "'/></DataRow>";
        }
        const QList<QbResponse> responses = parseResponseDocument(
            "<QBXML><QBXMLMsgsRs><PayrollDetailReportQueryRs statusCode='0'><ReportRet><ReportData>" + rows +
            "</ReportData></ReportRet></PayrollDetailReportQueryRs></QBXMLMsgsRs></QBXML>");
        selectState(*m_session, 2);
        m_session->Quarter = u"1"_s;
        m_session->SUIItemName = QString::fromLatin1(kIL);
        const std::vector<EmployeeWages> wages =
            LoadSUTAData(*m_session, m_dialogs, &responses.first(), {u"SAM ORTIZ"_s, u"Renée Dupré"_s, u"SAM ORTIZ"_s});
        QStringList found;
        for (const EmployeeWages& paid : wages) {
            found << QString::asprintf("%lld/%lld %d%d%d", qint64(paid.gross.raw()), qint64(paid.taxable.raw()),
                                       int(paid.month[0]), int(paid.month[1]), int(paid.month[2]));
        }
        // Amounts in ten-thousandths of a dollar.
        QCOMPARE(found.join(u", "_s), u"1000000/900000 100, 2500000/2500000 011, 0/0 000"_s);
        QCOMPARE(m_session->TotalWages.raw(), 3500000);
        QCOMPARE(m_dialogs.messages(), QStringList());
    }

    void cancelledLoad_leavesTheStoreAsItWas_data()
    {
        QTest::addColumn<QString>("work");
        QTest::addColumn<qint64>("at");
        QTest::newRow("reading the answer") << u"Reading the QuickBooks answer..."_s << qint64(1);
        QTest::newRow("walking the report") << u"Reading the wages..."_s << qint64(256);
    }
    void cancelledLoad_leavesTheStoreAsItWas()
    {
        QFETCH(QString, work);
        QFETCH(qint64, at);
        run(writeCompany());
        const QString before = storeDump();
        m_dialogs.clear();
        m_dialogs.cancelProgressAt(at, work);
        run(writeCompany(test::generatedCompany(40)));
        QCOMPARE(m_dialogs.messages(), QStringList{u"Get Payroll Data was cancelled."_s});
        QCOMPARE(storeDump(), before);
        // The session holds half a run: nothing is filed from it.
        QVERIFY(!m_session->Store.isOpen() && !m_state.resultsEnabled && !m_state.wageListingEnabled);
    }

    void itemLists_offerTheStateTaxItems_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("storedItem");
        QTest::addColumn<QStringList>("shown"); // window: items offered
        QTest::addColumn<QString>("chosen");    // StateID|PayrollItem|SWHPayrollItem afterwards
        QTest::newRow("stored name in another case: found without asking")
            << 2 << u"il - unemployment COMPANY"_s << QStringList() << u"|il - unemployment COMPANY|MA SWH"_s;
        QTest::newRow("unknown name: Form2 without withholding, employee and deduction items")
            << 2 << u"IL - SUI"_s
            << QStringList{u"Form2: IL - Unemployment Company, IL - Surcharge, MA - Unemployment Company"_s}
            << u"123|IL - Surcharge|MA SWH"_s;
        QTest::newRow("MA Quest: Form7 without the company items")
            << 5 << u"MA - Unemployment Company"_s
            << QStringList{u"Form7: IL - Withholding, IL - Surcharge, MA - Withholding"_s}
            << u"|MA - Unemployment Company|MA - Withholding"_s;
    }
    void itemLists_offerTheStateTaxItems()
    {
        QFETCH(int, position);
        QFETCH(QString, storedItem);
        QFETCH(QStringList, shown);
        QFETCH(QString, chosen);
        QVERIFY(query(u"INSERT INTO StateIDTable (EIN, State, StateID, PayrollItem, SWHPayrollItem) VALUES "
                      "('36-7654321', '%1', '', '%2', 'MA SWH')"_s.arg(position == 2 ? u"IL"_s : u"MA"_s, storedItem))
                    .isEmpty());
        m_windows.suiChoice = SuiItemChoice{u"IL - Surcharge"_s, u" 123 "_s};
        m_windows.swhChoice = u"MA - Withholding"_s;
        run(writeCompany(), position);
        QCOMPARE(m_windows.shown, shown);
        QVERIFY(m_session->ItemFound);
        QCOMPARE(query(u"SELECT StateID, PayrollItem, SWHPayrollItem FROM StateIDTable"_s), chosen);
    }

    void accessNotice_data()
    {
        QTest::addColumn<bool>("proceed");
        QTest::addColumn<bool>("dontShowAgain");
        QTest::addColumn<QString>("messageKey");
        QTest::newRow("OK") << true << false << u""_s;
        QTest::newRow("OK, not again") << true << true << u"N"_s;
        QTest::newRow("Cancel") << false << true << u""_s;
    }
    void accessNotice()
    {
        QFETCH(bool, proceed);
        QFETCH(bool, dontShowAgain);
        QFETCH(QString, messageKey);
        QVERIFY(writeSettings("[Options]\r\n"));
        QCOMPARE(startProgram(), StartupResult::Ready);
        m_windows.notice = {proceed, dontShowAgain};
        run(writeCompany());
        QCOMPARE(m_windows.shown.size(), 1);
        QVERIFY(m_session->ProceedFlag == proceed && m_state.resultsEnabled == proceed && !m_session->Store.isOpen());
        QCOMPARE(m_dialogs.messages(), proceed ? QStringList{kSuccess} : QStringList());
        QCOMPARE(IniFile(m_session->SettingsFile).read(settingkeys::kSection, settingkeys::kMessage), messageKey);
    }

    void replayOfTheSupportFile_givesTheSameStore()
    {
        m_session->SupportFile = true;
        run(writeCompany());
        const QString simulated = storeDump();
        const QByteArray answer = test::bytesOf(dataFolder() + u"QBData.xml"_s);
        QVERIFY(answer.endsWith("</QBXML>\r\n") || answer.endsWith("</QBXML>\n\r\n"));
        QVERIFY(test::writeBytes(dataFolder() + u"saved.xml"_s, answer));

        m_session->SupportFile = false;
        QVERIFY(query(u"DELETE FROM StateIDTable"_s).isEmpty());
        QVERIFY(query(u"UPDATE Submitter SET EIN = ''"_s).isEmpty());
        m_dialogs.clear();
        run(u"replay:"_s + dataFolder() + u"saved.xml"_s);
        QCOMPARE(m_dialogs.messages(), QStringList{kSuccess});
        QCOMPARE(storeDump(), simulated);
    }

    void suiItemChoiceChecks_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QString>("accountId");
        QTest::addColumn<QString>("message");
        const QString kentucky =
            u" State ID invalid. Must be 6 or 8 digits followed by optional 1 Alphabetic character suffix"_s;
        QTest::newRow("nothing selected")
            << 2 << false << QString()
            << u"Please Select the QuickBooks Payroll Item that is used to track State Unemployment"_s;
        QTest::newRow("KY five digits") << 3 << true << u"12345"_s << kentucky;
        QTest::newRow("KY empty is accepted") << 3 << true << u"  "_s << QString();
        QTest::newRow("TX without dashes")
            << 11 << true << u"12345678901"_s << u"State Account ID invalid. Enter in xx-xxxxxx-x format"_s;
        QTest::newRow("SC five digits") << 9 << true << u"12345"_s << u" State ID invalid. Must be 6 digits."_s;
        QTest::newRow("FL seven digits") << 1 << true << u" 1234567 "_s << QString();
        QTest::newRow("FL letters") << 1 << true << u"123456A"_s << u" State ID invalid. Must be 7 digits."_s;
        QTest::newRow("IL anything") << 2 << true << u"x"_s << QString();
    }
    void suiItemChoiceChecks()
    {
        QFETCH(int, position);
        QFETCH(bool, selected);
        QFETCH(QString, accountId);
        QFETCH(QString, message);
        selectState(*m_session, position);
        QCOMPARE(suiItemChoiceProblem(*m_session, selected, accountId).value_or(QString()), message);
    }
};

QTEST_MAIN(TestGetPayrollData)
#include "tst_getpayrolldata.moc"
