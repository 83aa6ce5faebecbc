#include "acquire/qb/qbxmlresponses.h"

#include "acquire/qb/qbtransport.h"

#include <QXmlStreamReader>

namespace wagetrove {
namespace {

/// Thrown inside the parser; turned into a QbError with the position.
struct ParseStop
{
    QString reason;
};

class ResponseParser
{
public:
    ResponseParser(const QByteArray& document, const QbParseLimits& limits) : m_xml(document), m_limits(limits) {}

    QList<QbResponse> run()
    {
        bool rootSeen = false;
        while (!m_xml.atEnd()) {
            const QXmlStreamReader::TokenType token = m_xml.readNext();
            if (token == QXmlStreamReader::DTD) {
                throw ParseStop{QStringLiteral("it declares a document type, which a QuickBooks answer never does")};
            }
            if (token == QXmlStreamReader::StartElement) {
                if (m_xml.name() != QLatin1String("QBXML")) {
                    throw ParseStop{QStringLiteral("its root element is <%1>, not <QBXML>").arg(m_xml.name())};
                }
                rootSeen = true;
                readRoot();
            }
        }
        checkReader();
        if (!rootSeen) {
            throw ParseStop{QStringLiteral("it holds no <QBXML> element")};
        }
        return m_responses;
    }

    QString position() const
    {
        return QStringLiteral("line %1, column %2").arg(m_xml.lineNumber()).arg(m_xml.columnNumber());
    }

private:
    void checkReader()
    {
        if (m_xml.hasError()) {
            throw ParseStop{m_xml.errorString()};
        }
    }

    QString text()
    {
        const QString value = m_xml.readElementText(QXmlStreamReader::SkipChildElements);
        checkText(value);
        return value;
    }

    QString attribute(const char* name)
    {
        const QString value = m_xml.attributes().value(QLatin1String(name)).toString();
        checkText(value);
        return value;
    }

    void checkText(const QString& value) const
    {
        if (qint64(value.size()) > m_limits.maxTextBytes) {
            throw ParseStop{
                QStringLiteral("a text of %1 characters is longer than any QuickBooks answer holds").arg(value.size())};
        }
    }

    void readRoot()
    {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("QBXMLMsgsRs")) {
                while (m_xml.readNextStartElement()) {
                    m_responses.append(readResponse());
                }
            } else {
                m_xml.skipCurrentElement();
            }
        }
        checkReader();
    }

    QbResponse readResponse()
    {
        QbResponse response;
        response.element = m_xml.name().toString();
        const QXmlStreamAttributes attributes = m_xml.attributes();
        if (attributes.hasAttribute(QLatin1String("requestID"))) {
            response.requestId = attribute("requestID");
        }
        const QString code = attribute("statusCode");
        bool numeric = false;
        response.status.code = code.trimmed().toInt(&numeric);
        if (!numeric) {
            throw ParseStop{QStringLiteral("the response <%1> has no numeric statusCode").arg(response.element)};
        }
        response.status.severity = attribute("statusSeverity");
        response.status.message = attribute("statusMessage");
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.name();
            if (name == QLatin1String("HostRet")) {
                response.host = readHost();
            } else if (name == QLatin1String("CompanyRet")) {
                response.company = readCompany();
            } else if (name == QLatin1String("EmployeeRet")) {
                response.employees.append(readEmployee());
            } else if (name == QLatin1String("PayrollItemNonWageRet")) {
                response.payrollItems.append(readPayrollItem());
            } else if (name == QLatin1String("ReportRet")) {
                response.report = readReport();
            } else {
                m_xml.skipCurrentElement();
            }
        }
        return response;
    }

    QbHost readHost()
    {
        QbHost host;
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.name();
            if (name == QLatin1String("ProductName")) {
                host.productName = text();
            } else if (name == QLatin1String("MajorVersion")) {
                host.majorVersion = text();
            } else if (name == QLatin1String("MinorVersion")) {
                host.minorVersion = text();
            } else {
                m_xml.skipCurrentElement();
            }
        }
        return host;
    }

    QbAddress readAddress()
    {
        QbAddress address;
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.name();
            if (name == QLatin1String("Addr1")) {
                address.addr1 = text();
            } else if (name == QLatin1String("City")) {
                address.city = text();
            } else if (name == QLatin1String("State")) {
                address.state = text();
            } else if (name == QLatin1String("PostalCode")) {
                address.postalCode = text();
            } else {
                m_xml.skipCurrentElement();
            }
        }
        return address;
    }

    QbCompany readCompany()
    {
        QbCompany company;
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.name();
            if (name == QLatin1String("CompanyName")) {
                company.name = text();
            } else if (name == QLatin1String("LegalCompanyName")) {
                company.legalName = text();
            } else if (name == QLatin1String("Address")) {
                company.address = readAddress();
            } else if (name == QLatin1String("LegalAddress")) {
                company.legalAddress = readAddress();
            } else if (name == QLatin1String("EIN")) {
                company.ein = text();
            } else {
                m_xml.skipCurrentElement();
            }
        }
        return company;
    }

    QbEmployee readEmployee()
    {
        QbEmployee employee;
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.name();
            if (name == QLatin1String("Name")) {
                employee.name = text();
            } else if (name == QLatin1String("FirstName")) {
                employee.firstName = text();
            } else if (name == QLatin1String("MiddleName")) {
                employee.middleName = text();
            } else if (name == QLatin1String("LastName")) {
                employee.lastName = text();
            } else if (name == QLatin1String("SSN")) {
                employee.ssn = text();
            } else if (name == QLatin1String("DataExtRet")) {
                employee.customFields.append(readCustomField());
            } else {
                m_xml.skipCurrentElement();
            }
        }
        return employee;
    }

    QbCustomField readCustomField()
    {
        QbCustomField field;
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.name();
            if (name == QLatin1String("OwnerID")) {
                field.ownerId = text();
            } else if (name == QLatin1String("DataExtName")) {
                field.name = text();
            } else if (name == QLatin1String("DataExtValue")) {
                field.value = text();
            } else {
                m_xml.skipCurrentElement();
            }
        }
        return field;
    }

    QbPayrollItem readPayrollItem()
    {
        QbPayrollItem item;
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.name();
            if (name == QLatin1String("Name")) {
                item.name = text();
            } else if (name == QLatin1String("NonWageType")) {
                item.nonWageType = text();
            } else {
                m_xml.skipCurrentElement();
            }
        }
        return item;
    }

    QbReport readReport()
    {
        QbReport report;
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.name();
            if (name == QLatin1String("ReportTitle")) {
                report.title = text();
            } else if (name == QLatin1String("ColDesc")) {
                report.columns.append(readColumn());
            } else if (name == QLatin1String("ReportData")) {
                while (m_xml.readNextStartElement()) {
                    report.rows.append(readRow());
                }
            } else {
                m_xml.skipCurrentElement();
            }
        }
        return report;
    }

    QbReportColumn readColumn()
    {
        QbReportColumn column;
        column.colId = attribute("colID").trimmed().toInt();
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("ColTitle")) {
                column.titles.append(attribute("value"));
            }
            m_xml.skipCurrentElement();
        }
        return column;
    }

    QbReportRow readRow()
    {
        QbReportRow row;
        const QStringView name = m_xml.name();
        if (name == QLatin1String("DataRow")) {
            row.kind = QbRowKind::Data;
        } else if (name == QLatin1String("TextRow")) {
            row.kind = QbRowKind::Text;
            row.text = attribute("value");
        } else if (name == QLatin1String("SubtotalRow")) {
            row.kind = QbRowKind::Subtotal;
        } else if (name == QLatin1String("TotalRow")) {
            row.kind = QbRowKind::Total;
        } else {
            throw ParseStop{QStringLiteral("a report holds the unknown row <%1>").arg(name)};
        }
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QLatin1String("ColData")) {
                const QXmlStreamAttributes attributes = m_xml.attributes();
                bool numeric = false;
                const int colId = attributes.value(QLatin1String("colID")).trimmed().toInt(&numeric);
                // A cell without its column or its value carries nothing.
                if (numeric && attributes.hasAttribute(QLatin1String("value"))) {
                    row.cells.append({colId, attribute("value")});
                }
            }
            m_xml.skipCurrentElement();
        }
        return row;
    }

    QXmlStreamReader m_xml;
    QbParseLimits m_limits;
    QList<QbResponse> m_responses;
};

} // namespace

QList<QbResponse> parseResponseDocument(const QByteArray& document, const QbParseLimits& limits)
{
    if (qint64(document.size()) > limits.maxDocumentBytes) {
        throw QbError(QStringLiteral("The QuickBooks answer of %1 bytes is larger than %2 bytes, more than any "
                                     "company's payroll needs; it was not read.")
                          .arg(document.size())
                          .arg(limits.maxDocumentBytes));
    }
    ResponseParser parser(document, limits);
    try {
        return parser.run();
    } catch (const ParseStop& stop) {
        throw QbError(
            QStringLiteral("The QuickBooks answer could not be read: %1 (%2).").arg(stop.reason, parser.position()));
    }
}

std::optional<QString> responseMismatch(const QList<QbRequest>& requests, const QList<QbResponse>& responses)
{
    for (int i = 0; i < requests.size() && i < responses.size(); ++i) {
        const QString expected = responseElement(requests[i].kind);
        if (responses[i].element != expected) {
            return QStringLiteral("The QuickBooks answer does not fit the requests sent: response %1 is <%2> where "
                                  "<%3> was expected.")
                .arg(i)
                .arg(responses[i].element, expected);
        }
        if (responses[i].requestId && *responses[i].requestId != QString::number(i)) {
            return QStringLiteral("The QuickBooks answer does not fit the requests sent: response %1 answers the "
                                  "request numbered %2.")
                .arg(i)
                .arg(*responses[i].requestId);
        }
    }
    if (requests.size() != responses.size()) {
        return QStringLiteral("The QuickBooks answer does not fit the requests sent: %1 responses came back for %2 "
                              "requests.")
            .arg(responses.size())
            .arg(requests.size());
    }
    return std::nullopt;
}

} // namespace wagetrove
