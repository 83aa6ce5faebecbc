#pragma once

// A stand-in for QuickBooks, for tests and demonstrations: it answers the qbXML requests the program sends from a
// company described in a JSON file.
//
// The company file (data/demo-company.json is a complete one):
//
//   {
//     "host": {"productName": "QuickBooks Desktop Enterprise 24.0", "majorVersion": "34", "minorVersion": "0"},
//     "payrollSubscription": true,
//     "refuseAccess": false,
//     "company": {"name": "...", "legalName": "...", "ein": "12-3456789",
//                 "address": {"addr1": "...", "addr2": "...", "city": "...", "state": "IL", "postalCode": "60601"},
//                 "legalAddress": {...the same members...}},
//     "employees": [{"name": "John Q Public", "firstName": "John", "middleName": "Q", "lastName": "Public",
//                    "ssn": "123-45-6789", "isActive": true, "customFields": {"SOC": "15-1252"}}],
//     "payrollItems": [{"name": "Salary", "kind": "wage"},
//                      {"name": "IL - Unemployment Company", "kind": "nonwage", "type": "Tax", "isActive": true}],
//     "paychecks": [{"employee": "John Q Public", "date": "2025-01-15", "hours": "80",
//                    "lines": [{"item": "Salary", "amount": "2000.00", "hours": "80"},
//                              {"item": "IL - Unemployment Company", "incomeSubjectToTax": "2000.00",
//                               "wageBase": "2000.00", "rate": "3.175", "amount": "63.50"}]}]
//   }
//
// - "host", "payrollSubscription" (default true), "refuseAccess" (default false), "employees", "payrollItems" and
//   "paychecks" may be left out; so may every text member except the names. "isActive" defaults to true.
// - Employee names and item names are unique. An item's "kind" is "wage" or "nonwage"; a non-wage item's "type" is
//   Addition, Deduction, CompanyContribution, Tax or DirectDeposit.
// - Money, hours and rates are JSON texts that Currency::fromText reads ("2000.00", "-99.00", "3.175"), never
//   JSON numbers. Withheld taxes and deductions are negative, as on a paycheck; employer taxes are positive. The
//   payroll summary lists as withheld the Tax items that have a negative line in the period.
// - A paycheck names a known employee, a date written yyyy-mm-dd and lines of known items. A line has any of
//   "incomeSubjectToTax", "wageBase", "rate", "hours" and "amount"; what it leaves out stays out of the reports.
//
// Reports count the paychecks dated inside the requested period, both ends included.

#include "acquire/qb/qbtransport.h"
#include "common/currency.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

class QXmlStreamWriter;

namespace wagetrove {

class SimulatedQuickBooks : public QbTransport
{
public:
    struct Address
    {
        QString addr1, addr2, city, state, postalCode;
    };

    struct Employee
    {
        QString listId, name, firstName, middleName, lastName, ssn;
        bool isActive = true;
        QList<std::pair<QString, QString>> customFields; ///< name and value
    };

    struct PayrollItem
    {
        QString listId, name;
        bool isWage = false;
        QString nonWageType; ///< empty for a wage item
        bool isActive = true;
    };

    struct PaycheckLine
    {
        int item = 0; ///< index into payrollItems
        std::optional<Currency> incomeSubjectToTax, wageBase, rate, hours, amount;
    };

    struct Paycheck
    {
        int employee = 0; ///< index into employees
        QDate date;
        std::optional<Currency> hours;
        QList<PaycheckLine> lines;
    };

    struct Company
    {
        QString productName = QStringLiteral("QuickBooks Desktop Enterprise 24.0");
        QString majorVersion = QStringLiteral("34");
        QString minorVersion = QStringLiteral("0");
        bool payrollSubscription = true;
        bool refuseAccess = false;
        QString name, legalName, ein;
        Address address, legalAddress;
        QList<Employee> employees;
        QList<PayrollItem> payrollItems;
        QList<Paycheck> paychecks;
    };

    /// Reads the company file at `path`; throws QbError naming the file and the fault when it is missing,
    /// unreadable or not a company description.
    static std::unique_ptr<SimulatedQuickBooks> fromFixture(const QString& path);
    /// The same from the file's text.
    static std::unique_ptr<SimulatedQuickBooks> fromJson(const QByteArray& json);

    explicit SimulatedQuickBooks(Company company) : m_company(std::move(company)) {}

    void openConnection(const QString& applicationId, const QString& applicationName) override;
    void beginSession() override;
    QByteArray processRequest(const QByteArray& request) override;
    void endSession() override;
    void closeConnection() override;

    /// One request of a document, as the answers read it.
    struct Request;

private:
    static std::unique_ptr<SimulatedQuickBooks> load(const QByteArray& json, const QString& fileName);

    // Each writes the response to one request and returns whether it is an error.
    bool answer(QXmlStreamWriter& xml, const Request& request) const;
    bool answerHost(QXmlStreamWriter& xml, const Request& request) const;
    bool answerCompany(QXmlStreamWriter& xml, const Request& request) const;
    bool answerEmployees(QXmlStreamWriter& xml, const Request& request) const;
    bool answerNonWageItems(QXmlStreamWriter& xml, const Request& request) const;
    bool answerDetailReport(QXmlStreamWriter& xml, const Request& request) const;
    bool answerSummaryReport(QXmlStreamWriter& xml, const Request& request) const;

    Company m_company;
    bool m_connected = false;
    bool m_inSession = false;
};

} // namespace wagetrove
