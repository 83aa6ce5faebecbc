// QuickBooks's answers as they come back over the SDK or the Web Connector: the bytes are read as a qbXML response
// document, every value read is visited, and the responses are matched against the requests of a payroll run.
#include "acquire/qb/qbtransport.h"
#include "acquire/qb/qbxmlrequests.h"
#include "acquire/qb/qbxmlresponses.h"
#include "fuzz/fuzzsupport.h"

#include <QDate>

using namespace wagetrove;
using wagetrove::fuzz::require;

namespace {

const QList<QbRequest>& payrollRequests()
{
    static const QList<QbRequest> requests{
        {QbRequestKind::Company, {}, {}, {}},
        {QbRequestKind::EmployeeList, {}, {}, {}},
        {QbRequestKind::PayrollSummaryReport, QStringLiteral("PayrollSummary"), QDate(2024, 1, 1), QDate(2024, 3, 31)},
        {QbRequestKind::PayrollItemList, {}, {}, {}},
    };
    return requests;
}

/// Visits every report cell's value: each row's cells and each cell's value must lie inside the report.
void visitReport(const QbReport& report)
{
    qsizetype nextCell = 0;
    for (const QbReportRow& row : report.rows) {
        require(row.firstCell == nextCell && row.cellCount >= 0);
        require(row.firstCell + row.cellCount <= report.cells.size());
        nextCell += row.cellCount;
        for (const QbReportCell& cell : report.cellsOf(row)) {
            require(cell.offset >= 0 && cell.length >= 0);
            require(qsizetype(cell.offset) + cell.length <= report.values.size());
            (void)report.textOf(cell);
        }
    }
    require(nextCell == report.cells.size());
}

std::optional<QList<QbResponse>> parse(const QByteArray& document, const QbParseLimits& limits)
{
    try {
        return parseResponseDocument(document, limits);
    } catch (const QbError& error) {
        require(!error.message().isEmpty());
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray document = wagetrove::fuzz::bytesOf(data, size);
    const std::optional<QList<QbResponse>> responses = parse(document, {});
    if (!responses) {
        return 0;
    }
    for (const QbResponse& response : *responses) {
        require(!response.element.isEmpty());
        if (response.report) {
            visitReport(*response.report);
        }
    }
    const std::optional<QString> mismatch = responseMismatch(payrollRequests(), *responses);
    require(!mismatch || !mismatch->isEmpty());
    (void)responseMismatch({}, *responses);

    // Tight limits take the refusals of long texts; what they let through reads as before.
    QbParseLimits tight;
    tight.maxTextBytes = 8;
    if (const std::optional<QList<QbResponse>> limited = parse(document, tight)) {
        require(limited->size() == responses->size());
        for (qsizetype i = 0; i < limited->size(); ++i) {
            require((*limited)[i].element == (*responses)[i].element);
            require((*limited)[i].status.message == (*responses)[i].status.message);
        }
    }
    tight.maxDocumentBytes = document.size() - 1;
    require(!parse(document, tight));
    return 0;
}
