#include "acquire/qb/qbxmlrequests.h"

#include "app/session.h"
#include "app/statecatalogue.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace wagetrove {
namespace {

const QString kDetailReportType = QStringLiteral("EmployeeStateTaxesDetail");
const QString kItemDetailReportType = QStringLiteral("PayrollItemDetail");
const QString kSummaryReportType = QStringLiteral("PayrollSummary");

// The detail report's columns: name, date, payroll item, income subject to tax, wage base, rate, amount. The
// loaders find them as column ids 2 to 8.
const char* const kDetailColumns[] = {"Name",     "Date",      "PayrollItem", "IncomeSubjectToTax",
                                      "WageBase", "UnitPrice", "Amount"};

QDate dateOf(const QString& text)
{
    return QDate::fromString(text.left(10), QStringLiteral("MM/dd/yyyy"));
}

QString isoDate(QDate date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

bool isQuest(const Session& session)
{
    return stateAt(session.StatePosition).item() == StateItem::MassachusettsQuest;
}

QbRequest report(const QString& type, QDate from, QDate to)
{
    const QbRequestKind kind =
        type == kSummaryReportType ? QbRequestKind::PayrollSummaryReport : QbRequestKind::PayrollDetailReport;
    return {kind, type, from, to};
}

void writeDocumentStart(QXmlStreamWriter& xml)
{
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeProcessingInstruction(QStringLiteral("qbxml"), QStringLiteral("version=\"3.0\""));
    xml.writeStartElement(QStringLiteral("QBXML"));
    xml.writeStartElement(QStringLiteral("QBXMLMsgsRq"));
    xml.writeAttribute(QStringLiteral("onError"), QStringLiteral("continueOnError"));
}

void writeRequest(QXmlStreamWriter& xml, const QbRequest& request, int index)
{
    xml.writeStartElement(requestElement(request.kind));
    xml.writeAttribute(QStringLiteral("requestID"), QString::number(index));
    switch (request.kind) {
    case QbRequestKind::Host:
    case QbRequestKind::Company:
        break;
    case QbRequestKind::EmployeeList:
        xml.writeTextElement(QStringLiteral("ActiveStatus"), QStringLiteral("All"));
        xml.writeTextElement(QStringLiteral("OwnerID"), QStringLiteral("0"));
        break;
    case QbRequestKind::PayrollItemList:
        xml.writeTextElement(QStringLiteral("ActiveStatus"), QStringLiteral("All"));
        break;
    case QbRequestKind::PayrollDetailReport:
    case QbRequestKind::PayrollSummaryReport: {
        const bool detail = request.kind == QbRequestKind::PayrollDetailReport;
        xml.writeTextElement(detail ? QStringLiteral("PayrollDetailReportType")
                                    : QStringLiteral("PayrollSummaryReportType"),
                             request.reportType);
        xml.writeStartElement(QStringLiteral("ReportPeriod"));
        xml.writeTextElement(QStringLiteral("FromReportDate"), isoDate(request.from));
        xml.writeTextElement(QStringLiteral("ToReportDate"), isoDate(request.to));
        xml.writeEndElement();
        if (detail) {
            xml.writeTextElement(QStringLiteral("ReportDetailLevelFilter"), QStringLiteral("AllExceptSummary"));
            for (const char* column : kDetailColumns) {
                xml.writeTextElement(QStringLiteral("IncludeColumn"), QLatin1String(column));
            }
        }
        break;
    }
    }
    xml.writeEndElement();
}

QByteArray finish(QXmlStreamWriter& xml, QByteArray& document)
{
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return document;
}

} // namespace

bool readsWageDetailReport(const Session& session)
{
    const StateItem item = stateAt(session.StatePosition).item();
    return item == StateItem::MassachusettsPFML || session.UseSUIItem || item == StateItem::MassachusettsQuest;
}

QString requestElement(QbRequestKind kind)
{
    switch (kind) {
    case QbRequestKind::Host:
        return QStringLiteral("HostQueryRq");
    case QbRequestKind::Company:
        return QStringLiteral("CompanyQueryRq");
    case QbRequestKind::EmployeeList:
        return QStringLiteral("EmployeeQueryRq");
    case QbRequestKind::PayrollDetailReport:
        return QStringLiteral("PayrollDetailReportQueryRq");
    case QbRequestKind::PayrollSummaryReport:
        return QStringLiteral("PayrollSummaryReportQueryRq");
    case QbRequestKind::PayrollItemList:
        return QStringLiteral("PayrollItemNonWageQueryRq");
    }
    return {};
}

QString responseElement(QbRequestKind kind)
{
    QString name = requestElement(kind);
    name.back() = QLatin1Char('s');
    return name;
}

int payrollSummaryIndex(const Session& session)
{
    if (session.StandAlone) {
        return -1;
    }
    if (isQuest(session)) {
        return 4;
    }
    return readsWageDetailReport(session) ? -1 : qbindex::kWages;
}

int yearToDateIndex(const Session& session)
{
    if (session.StandAlone || !session.CalcTaxable) {
        return -1;
    }
    return isQuest(session) ? 5 : 4;
}

QList<QbRequest> dataRequests(const Session& session)
{
    QList<QbRequest> requests{{QbRequestKind::Company, {}, {}, {}}};
    if (session.StandAlone) {
        return requests;
    }
    const QDate from = dateOf(session.FromDate);
    const QDate to = dateOf(session.ToDate);
    const QDate yearStart(from.year(), 1, 1);
    const StateItem item = stateAt(session.StatePosition).item();

    requests.append({QbRequestKind::EmployeeList, {}, {}, {}});
    if (item == StateItem::MassachusettsPFML) {
        requests.append(report(kItemDetailReportType, yearStart, to));
    } else if (readsWageDetailReport(session)) {
        requests.append(report(kDetailReportType, from, to));
    } else {
        requests.append(report(kSummaryReportType, from, to));
    }
    requests.append({QbRequestKind::PayrollItemList, {}, {}, {}});
    if (item == StateItem::MassachusettsQuest) {
        requests.append(report(kSummaryReportType, from, to));
    }
    if (session.CalcTaxable) {
        requests.append(report(kSummaryReportType, yearStart, to));
    }
    return requests;
}

QByteArray hostQueryDocument()
{
    QByteArray document;
    QXmlStreamWriter xml(&document);
    writeDocumentStart(xml);
    writeRequest(xml, {QbRequestKind::Host, {}, {}, {}}, 0);
    return finish(xml, document);
}

QByteArray requestDocument(const QList<QbRequest>& requests)
{
    QByteArray document;
    QXmlStreamWriter xml(&document);
    writeDocumentStart(xml);
    for (int i = 0; i < requests.size(); ++i) {
        writeRequest(xml, requests[i], i);
    }
    return finish(xml, document);
}

bool isHostQuery(const QByteArray& request)
{
    QXmlStreamReader xml(request);
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("HostQueryRq")) {
            return true;
        }
        if (xml.name() != QLatin1String("QBXML") && xml.name() != QLatin1String("QBXMLMsgsRq")) {
            xml.skipCurrentElement();
        }
    }
    return false;
}

} // namespace wagetrove
