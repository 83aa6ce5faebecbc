#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

namespace wagetrove {

struct Session;

/// The requests of a Get Payroll Data run.
enum class QbRequestKind
{
    Host,
    Company,
    EmployeeList,
    PayrollDetailReport,
    PayrollSummaryReport,
    PayrollItemList,
};

/// One request of a request set. Its position in the set is its index, sent as its requestID, and the readers
/// find its response by the same index.
struct QbRequest
{
    QbRequestKind kind = QbRequestKind::Company;
    QString reportType; ///< the report's qbXML type name, for the two report kinds
    QDate from;         ///< report period, for the two report kinds
    QDate to;
};

/// The qbXML element of a request ("CompanyQueryRq") and of its response ("CompanyQueryRs").
QString requestElement(QbRequestKind kind);
QString responseElement(QbRequestKind kind);

/// Whether the run reads the wage detail report (Massachusetts PFML, UseSUIItem or Massachusetts Quest) rather
/// than the payroll summary at position 2.
bool readsWageDetailReport(const Session& session);

/// The positions of the responses the readers take.
namespace qbindex {
inline constexpr int kCompany = 0;
inline constexpr int kEmployees = 1;
inline constexpr int kWages = 2; ///< the wage detail report, or the payroll summary
inline constexpr int kPayrollItems = 3;
} // namespace qbindex

/// Where the payroll summary and the year-to-date summary of a run are, or -1 when it has none.
int payrollSummaryIndex(const Session& session);
int yearToDateIndex(const Session& session);

/// The data requests of a run for the session's state, period and options, in order: the company; unless
/// StandAlone, the employee list, the wage detail report (Massachusetts PFML, UseSUIItem or Massachusetts Quest)
/// or else the payroll summary, the payroll item list, the payroll summary for Massachusetts Quest and, with
/// CalcTaxable, the year-to-date summary.
QList<QbRequest> dataRequests(const Session& session);

/// The version check's request document: the host query alone.
QByteArray hostQueryDocument();

/// Whether a request document holds the host query.
bool isHostQuery(const QByteArray& request);

/// A request document for qbXML 3.0 that goes on after an error, each request numbered by its position.
QByteArray requestDocument(const QList<QbRequest>& requests);

} // namespace wagetrove
