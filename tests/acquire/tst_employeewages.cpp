#include "acquire/getpayrolldata.h"
#include "acquire/qb/qbxmlresponses.h"
#include "acquire/reportloaders.h"
#include "app/period.h"
#include "tests/support/scriptedpayrolldatawindows.h"
#include "tests/support/startedprogram.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QTest>

using namespace wagetrove;

/// One paycheck: a wage line of `gross` and one tax line.
struct Paycheck
{
    const char* employee;
    const char* date;
    const char* gross;
    const char* item; ///< the unemployment (or withholding) item of the tax line
    const char* wageBase;
    const char* amount;
    const char* hours;
};
Q_DECLARE_METATYPE(Paycheck)

namespace {

QJsonObject line(const char* item, const char* gross, const char* wageBase, const char* amount)
{
    QJsonObject line{{QStringLiteral("item"), QLatin1String(item)},
                     {QStringLiteral("incomeSubjectToTax"), QLatin1String(gross)},
                     {QStringLiteral("amount"), QLatin1String(amount)}};
    if (*wageBase != '\0') {
        line.insert(QStringLiteral("wageBase"), QLatin1String(wageBase));
        line.insert(QStringLiteral("rate"), QStringLiteral("3.175"));
    }
    return line;
}

/// A company of three employees, one of them with an accented name, paid as the rows say.
QByteArray company(const QList<Paycheck>& paychecks)
{
    const char* const people[][4] = {{"Ana B Cole", "Ana", "Cole", "111-22-3333"},
                                     {"Lee Diaz", "Lee", "Diaz", "222-33-4444"},
                                     {"Renée Dupré", "Renée", "Dupré", "333-44-5555"}};
    QJsonArray employees;
    for (const auto& e : people) {
        employees.append(QJsonObject{{QStringLiteral("name"), QString::fromUtf8(e[0])},
                                     {QStringLiteral("firstName"), QString::fromUtf8(e[1])},
                                     {QStringLiteral("lastName"), QString::fromUtf8(e[2])},
                                     {QStringLiteral("ssn"), QLatin1String(e[3])}});
    }
    QJsonArray items{QJsonObject{{QStringLiteral("name"), QStringLiteral("Hourly Rate")},
                                 {QStringLiteral("kind"), QStringLiteral("wage")}}};
    for (const char* tax : {"IL - Unemployment Company", "MA - Unemployment Company", "MA - Withholding"}) {
        items.append(QJsonObject{{QStringLiteral("name"), QLatin1String(tax)},
                                 {QStringLiteral("kind"), QStringLiteral("nonwage")},
                                 {QStringLiteral("type"), QStringLiteral("Tax")}});
    }
    QJsonArray checks;
    for (const Paycheck& p : paychecks) {
        QJsonObject wage{{QStringLiteral("item"), QStringLiteral("Hourly Rate")},
                         {QStringLiteral("amount"), QLatin1String(p.gross)}};
        QJsonObject check{{QStringLiteral("employee"), QString::fromUtf8(p.employee)},
                          {QStringLiteral("date"), QLatin1String(p.date)},
                          {QStringLiteral("lines"), QJsonArray{wage, line(p.item, p.gross, p.wageBase, p.amount)}}};
        if (*p.hours != '\0') {
            check.insert(QStringLiteral("hours"), QLatin1String(p.hours));
        }
        checks.append(check);
    }
    const QJsonObject root{
        {QStringLiteral("company"), QJsonObject{{QStringLiteral("name"), QStringLiteral("Cole Bakery")},
                                                {QStringLiteral("ein"), QStringLiteral("36-7654321")}}},
        {QStringLiteral("employees"), employees},
        {QStringLiteral("payrollItems"), items},
        {QStringLiteral("paychecks"), checks}};
    return QJsonDocument(root).toJson();
}

const char* const kIL = "IL - Unemployment Company";
const char* const kMA = "MA - Unemployment Company";
const char* const kSWH = "MA - Withholding";

} // namespace

class TestEmployeeWages : public QObject, protected test::StartedProgram
{
    Q_OBJECT

private:
    QString employees()
    {
        WageStore store;
        store.open(dataFolder() + WageStore::kFileName);
        QSqlQuery rows(store.database());
        QStringList lines;
        rows.exec(QStringLiteral(
            "SELECT Name, printf('%.2f|%.2f', GrossWages / 10000.0, TaxableWages / 10000.0), Month1 || Month2 || "
            "Month3, printf('%g|%.2f|%.2f', TotalHours / 10000.0, SWHWages / 10000.0, SWHAmount / 10000.0) FROM "
            "Employee ORDER BY SS"));
        while (rows.next()) {
            lines << QStringList{rows.value(0).toString(), rows.value(1).toString(), rows.value(2).toString(),
                                 rows.value(3).toString()}
                         .join(QLatin1Char('|'));
        }
        return lines.join(QLatin1Char('\n'));
    }

    /// Loads a report written by hand into the store's two employees, through the loader named.
    QString loadByHand(const QByteArray& report, bool yearToDate = false)
    {
        m_session->Store.open(dataFolder() + WageStore::kFileName);
        QSqlQuery(m_session->Store.database())
            .exec(QStringLiteral("INSERT INTO Employee (Name, SS, GrossWages) VALUES ('SAM ORTIZ', '1', 10000000), "
                                 "('RENÉE DUPRÉ', '2', 10000000), ('ANA COLE', '3', 10000000)"));
        const QList<QbResponse> responses =
            parseResponseDocument("<QBXML><QBXMLMsgsRs><PayrollSummaryReportQueryRs statusCode='0'><ReportRet>" +
                                  report + "</ReportRet></PayrollSummaryReportQueryRs></QBXMLMsgsRs></QBXML>");
        m_session->WageLimit = Currency::fromRaw(7000'0000);
        m_session->Quarter = QStringLiteral("3");
        m_session->CalcTaxable = true;
        if (yearToDate) {
            LoadYTD(*m_session, m_dialogs, &responses.first());
        } else {
            LoadPayrollSummary(*m_session, m_dialogs, &responses.first());
        }
        m_session->Store.close();
        return employees();
    }

private Q_SLOTS:
    void init()
    {
        resetProgram();
        QVERIFY(writeSettings("[Options]\r\nMessage=N\r\nWageLimit=7000\r\n"));
        QCOMPARE(startProgram(), StartupResult::Ready);
    }

    void branches_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("mode"); // sui, gross or calc
        QTest::addColumn<int>("quarter");
        QTest::addColumn<QList<Paycheck>>("paychecks");
        QTest::addColumn<QString>("stored"); // name|gross|taxable|months|hours|SWH wages|SWH amount, by SS

        QTest::newRow("SUI item: each paycheck's month")
            << 2 << QStringLiteral("sui") << 2
            << QList<Paycheck>{{"Ana B Cole", "2025-05-14", "1000.00", kIL, "1000.00", "31.75", "80"},
                               {"Lee Diaz", "2025-04-30", "500.00", kIL, "400.00", "12.70", ""},
                               {"Lee Diaz", "2025-06-13", "500.00", kIL, "0.00", "0.00", ""},
                               {"Renée Dupré", "2025-03-31", "900.00", kIL, "900.00", "28.58", ""}}
            << QStringLiteral("ANA B COLE|1000.00|1000.00|010|0|0.00|0.00\nLEE DIAZ|1000.00|400.00|101|0|0.00|0.00");
        QTest::newRow("gross pay: all months, hours, taxable 0")
            << 2 << QStringLiteral("gross") << 1
            << QList<Paycheck>{{"Ana B Cole", "2025-02-14", "1000.00", kIL, "1000.00", "31.75", "80"},
                               {"Renée Dupré", "2025-03-14", "700.00", kIL, "700.00", "22.23", "40.5"}}
            << QStringLiteral("ANA B COLE|1000.00|0.00|111|80|0.00|0.00\nRENÉE DUPRÉ|700.00|0.00|111|40.5|0.00|0.00");
        QTest::newRow("computed taxable, first quarter: up to the limit")
            << 2 << QStringLiteral("calc") << 1
            << QList<Paycheck>{{"Ana B Cole", "2025-02-14", "8000.00", kIL, "", "0.00", ""},
                               {"Lee Diaz", "2025-03-14", "500.00", kIL, "", "0.00", ""}}
            << QStringLiteral("ANA B COLE|8000.00|7000.00|111|0|0.00|0.00\nLEE DIAZ|500.00|500.00|111|0|0.00|0.00");
        QTest::newRow("computed taxable, third quarter: prior wages 6500, 7000 and 7200")
            << 2 << QStringLiteral("calc") << 3
            << QList<Paycheck>{{"Ana B Cole", "2025-03-14", "6500.00", kIL, "", "0.00", ""},
                               {"Ana B Cole", "2025-08-14", "1000.00", kIL, "", "0.00", ""},
                               {"Lee Diaz", "2025-05-14", "7000.00", kIL, "", "0.00", ""},
                               {"Lee Diaz", "2025-08-14", "1000.00", kIL, "", "0.00", ""},
                               {"Renée Dupré", "2025-06-14", "7200.00", kIL, "", "0.00", ""},
                               {"Renée Dupré", "2025-09-12", "1000.00", kIL, "", "0.00", ""}}
            << QStringLiteral("ANA B COLE|1000.00|500.00|111|0|0.00|0.00\nLEE DIAZ|1000.00|0.00|111|0|0.00|0.00\n"
                              "RENÉE DUPRÉ|1000.00|0.00|111|0|0.00|0.00");
        QTest::newRow("Massachusetts Quest: withholding and hours")
            << 5 << QStringLiteral("sui") << 1
            << QList<Paycheck>{{"Ana B Cole", "2025-01-15", "2000.00", kMA, "2000.00", "37.40", "80"},
                               {"Ana B Cole", "2025-01-15", "0.00", kSWH, "2000.00", "-100.00", ""}}
            << QStringLiteral("ANA B COLE|2000.00|2000.00|100|80|2000.00|100.00");
        QTest::newRow("Massachusetts PFML: the year's paychecks, the quarter's taxable")
            << 6 << QStringLiteral("sui") << 2
            << QList<Paycheck>{{"Ana B Cole", "2025-01-15", "2000.00", kMA, "2000.00", "37.40", ""},
                               {"Ana B Cole", "2025-05-15", "3000.00", kMA, "3000.00", "56.10", ""}}
            << QStringLiteral("ANA B COLE|5000.00|3000.00|011|0|0.00|0.00");
    }
    void branches()
    {
        QFETCH(int, position);
        QFETCH(QString, mode);
        QFETCH(int, quarter);
        QFETCH(QList<Paycheck>, paychecks);
        QFETCH(QString, stored);
        QFile file(m_documents->path() + QStringLiteral("/company.json"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(company(paychecks));
        file.close();
        m_session->QuickBooksConnection = QStringLiteral("simulated:") + file.fileName();
        m_session->UseSUIItem = mode == QLatin1String("sui");
        m_session->CalcTaxable = mode == QLatin1String("calc");
        selectState(*m_session, position);
        clickQuarter(*m_session, m_state, quarter, QDate(2025, 1, 1));
        test::ScriptedPayrollDataWindows windows;
        windows.swhChoices.push_back(QString::fromLatin1(kSWH));
        GetPayrollData(*m_session, m_state, m_dialogs, windows);
        QCOMPARE(
            m_dialogs.messages().last(),
            QStringLiteral("Program has gathered all the data. Click the View Totals button and check the amounts"));
        QCOMPARE(employees(), stored);
    }

    void summaryColumns_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<bool>("yearToDate");
        QTest::addColumn<QString>("stored");
        const QByteArray columns =
            "<ColDesc colID='1'/><ColDesc colID='2'/><ColDesc colID='3'/><ColDesc colID='4'><ColTitle "
            "value='Sam Ortiz 000-00-1234'/></ColDesc><ColDesc colID='5'/><ColDesc colID='6'/><ColDesc "
            "colID='7'><ColTitle value='Pat Unknown'/></ColDesc><ColDesc colID='8'/><ColDesc colID='9'/><ColDesc "
            "colID='10'><ColTitle value='renée dupré'/></ColDesc><ColDesc colID='11'/><ColDesc colID='12'/><ColDesc "
            "colID='13'><ColTitle value='ana COLE'/></ColDesc><ColDesc colID='14'/><ColDesc colID='15'/><ColDesc "
            "colID='16'><ColTitle value='TOTAL'/></ColDesc>";
        QTest::newRow("title rule, a name not stored, accents and case")
            << columns +
                   "<ReportData><SubtotalRow><ColData colID='1' value='Total Gross Pay'/><ColData colID='2' "
                   "value='10'/><ColData colID='4' value='100.00'/><ColData colID='7' value='5.00'/><ColData "
                   "colID='10' value='200.00'/><ColData colID='11' value='3'/><ColData colID='13' value='300.00'/>"
                   "</SubtotalRow><SubtotalRow><ColData colID='1' value='Total Taxes'/><ColData colID='4' "
                   "value='9.00'/></SubtotalRow></ReportData>"
            << false
            << QStringLiteral("SAM ORTIZ|100.00|0.00|111|10|0.00|0.00\nRENÉE DUPRÉ|200.00|0.00|111|0|0.00|0.00\n"
                              "ANA COLE|300.00|0.00|111|3|0.00|0.00");
        QTest::newRow("an amount left out does not stop the later employees")
            << columns + "<ReportData><SubtotalRow><ColData colID='1' value='Total Gross Pay'/><ColData colID='10' "
                         "value='200.00'/><ColData colID='13' value='300.00'/></SubtotalRow></ReportData>"
            << false
            << QStringLiteral("SAM ORTIZ|1000.00|0.00|000|0|0.00|0.00\nRENÉE DUPRÉ|200.00|0.00|111|0|0.00|0.00\n"
                              "ANA COLE|300.00|0.00|111|0|0.00|0.00");
        QTest::newRow("year to date against the limit of 7000")
            << columns + "<ReportData><SubtotalRow><ColData colID='1' value='Total Gross Pay'/><ColData colID='4' "
                         "value='7500.00'/><ColData colID='10' value='8200.00'/><ColData colID='13' value='900.00'/>"
                         "</SubtotalRow></ReportData>"
            << true
            << QStringLiteral("SAM ORTIZ|1000.00|500.00|000|0|0.00|0.00\nRENÉE DUPRÉ|1000.00|0.00|000|0|0.00|0.00\n"
                              "ANA COLE|1000.00|1000.00|000|0|0.00|0.00");
    }
    void summaryColumns()
    {
        QFETCH(QByteArray, report);
        QFETCH(bool, yearToDate);
        QFETCH(QString, stored);
        QCOMPARE(loadByHand(report, yearToDate), stored);
        QCOMPARE(m_dialogs.messages(), QStringList());
    }

    void failedReport_showsQuickBooksText()
    {
        m_session->Store.open(dataFolder() + WageStore::kFileName);
        const QList<QbResponse> responses = parseResponseDocument(
            "<QBXML><QBXMLMsgsRs><PayrollDetailReportQueryRs statusCode='3250' statusSeverity='Error' "
            "statusMessage='This feature requires a subscription.'/></QBXMLMsgsRs></QBXML>");
        LoadSUTAData(*m_session, m_dialogs, &responses.first());
        QCOMPARE(m_dialogs.messages(), QStringList{QStringLiteral("This feature requires a subscription.")});
        QVERIFY(m_session->DataError);
        m_session->Store.close();
    }
};

QTEST_MAIN(TestEmployeeWages)
#include "tst_employeewages.moc"
