#pragma once

#include "acquire/qb/qbxmlrequests.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <span>

class QIODevice;

namespace wagetrove {

struct QbStatus
{
    int code = 0; ///< 0 is success, 1 an empty list
    QString severity;
    QString message;
};

struct QbHost
{
    QString productName;
    QString majorVersion;
    QString minorVersion;
};

struct QbAddress
{
    QString addr1;
    QString city;
    QString state;
    QString postalCode;
};

struct QbCompany
{
    QString name;
    QString legalName;
    QbAddress address;
    QbAddress legalAddress;
    QString ein;
};

struct QbCustomField
{
    QString ownerId;
    QString name;
    QString value;
};

struct QbEmployee
{
    QString name;
    QString firstName;
    std::optional<QString> middleName; ///< nothing when QuickBooks has none
    QString lastName;
    QString ssn;
    QList<QbCustomField> customFields;
};

/// A payroll item other than a wage item; its type is "Tax" for the tax items.
struct QbPayrollItem
{
    QString name;
    QString nonWageType;
};

struct QbReportColumn
{
    int colId = 0;
    QStringList titles; ///< the column's title rows in order
};

enum class QbRowKind
{
    Data = 0,
    Text = 1,
    Subtotal = 2,
    Total = 3,
};

/// One cell of a report row: its column, and where its value lies in the report's `values` (below 2 GiB).
struct QbReportCell
{
    qint32 colId = 0;
    qint32 offset = 0;
    qint32 length = 0;
};

struct QbReportRow
{
    QbRowKind kind = QbRowKind::Data;
    QString text;            ///< a text row's value
    qsizetype firstCell = 0; ///< its cells in the report's `cells`, in document order; empty cells are not there
    qsizetype cellCount = 0;
};

/// A report as QuickBooks sends it. A payroll report holds millions of cells, so their values are kept together
/// as UTF-8 in one array rather than one text each.
struct QbReport
{
    QString title;
    QList<QbReportColumn> columns;
    QList<QbReportRow> rows;
    QList<QbReportCell> cells;
    QByteArray values;

    std::span<const QbReportCell> cellsOf(const QbReportRow& row) const
    {
        return std::span<const QbReportCell>(cells.constData() + row.firstCell, size_t(row.cellCount));
    }
    /// A cell's value as UTF-8.
    QByteArrayView valueOf(const QbReportCell& cell) const
    {
        return QByteArrayView(values.constData() + cell.offset, cell.length);
    }
    QString textOf(const QbReportCell& cell) const { return QString::fromUtf8(valueOf(cell)); }
};

/// One response of a response set, with the detail its kind carries.
struct QbResponse
{
    QString element; ///< e.g. "CompanyQueryRs"
    std::optional<QString> requestId;
    QbStatus status;
    std::optional<QbHost> host;
    std::optional<QbCompany> company;
    QList<QbEmployee> employees;
    QList<QbPayrollItem> payrollItems;
    std::optional<QbReport> report;
};

} // namespace wagetrove

// A report's rows and an answer's employees come by the hundred thousand: their lists grow in place rather than by
// moving each element into a new block.
Q_DECLARE_TYPEINFO(wagetrove::QbCustomField, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(wagetrove::QbEmployee, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(wagetrove::QbReportRow, Q_RELOCATABLE_TYPE);

namespace wagetrove {

/// Limits that keep a hostile or broken document from exhausting memory.
struct QbParseLimits
{
    qint64 maxDocumentBytes = qint64(1) << 30;
    qint64 maxTextBytes = qint64(64) << 20;
};

/// The bytes of the answer read so far and in all, after each slice; false to stop reading (QbCancelled).
using QbReadProgress = std::function<bool(qint64 done, qint64 total)>;

/// Thrown when the read was stopped through its QbReadProgress.
struct QbCancelled
{
};

/// Reads a qbXML response document: the responses inside QBXMLMsgsRs in order. Any XML form is read (attribute
/// order, either quote, empty elements written either way, character references, any line ends, a declared
/// encoding). A document type declaration is refused, so no entity is ever declared or fetched. Throws QbError
/// naming what is wrong.
QList<QbResponse> parseResponseDocument(const QByteArray& document, const QbParseLimits& limits = {},
                                        const QbReadProgress& progress = {});

/// parseResponseDocument for a document read from `device`, open for reading, whose size() is the document's: it
/// is read a slice at a time and never held whole, as a payroll answer can be a hundred megabytes. Throws QbError
/// also when the device ends early or fails.
QList<QbResponse> parseResponseDevice(QIODevice& device, const QbParseLimits& limits = {},
                                      const QbReadProgress& progress = {});

/// Why the responses do not answer the requests sent, position by position (count, kinds, request ids), or
/// nothing when they do.
std::optional<QString> responseMismatch(const QList<QbRequest>& requests, const QList<QbResponse>& responses);

} // namespace wagetrove
