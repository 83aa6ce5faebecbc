#include "acquire/qb/qbxmlresponses.h"

#include "acquire/qb/qbtransport.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <expat.h>
#include <string>
#include <vector>

namespace wagetrove {
namespace {

/// Reads a response document with expat, as a stream of elements: a payroll answer can hold hundreds of
/// thousands of report cells. Only the elements the readers take are kept.
class ResponseParser
{
public:
    ResponseParser(const QByteArray& document, const QbParseLimits& limits) : m_document(document), m_limits(limits)
    {
        m_parser = XML_ParserCreate("UTF-8");
        XML_SetUserData(m_parser, this);
        XML_SetElementHandler(m_parser, &ResponseParser::onStart, &ResponseParser::onEnd);
        XML_SetCharacterDataHandler(m_parser, &ResponseParser::onText);
        XML_SetStartDoctypeDeclHandler(m_parser, &ResponseParser::onDoctype);
        XML_SetEntityDeclHandler(m_parser, &ResponseParser::onEntity);
    }
    ~ResponseParser() { XML_ParserFree(m_parser); }
    ResponseParser(const ResponseParser&) = delete;
    ResponseParser& operator=(const ResponseParser&) = delete;

    /// The responses, or the reason the document cannot be read in `failure`.
    QList<QbResponse> run(QString& failure)
    {
        const bool parsed =
            XML_Parse(m_parser, m_document.constData(), int(m_document.size()), XML_TRUE) == XML_STATUS_OK;
        if (m_stop.isEmpty() && !parsed) {
            m_stop = QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(m_parser)));
        }
        if (m_stop.isEmpty() && !m_rootSeen) {
            m_stop = QStringLiteral("it holds no <QBXML> element");
        }
        if (!m_stop.isEmpty()) {
            failure = QStringLiteral("%1 (line %2, column %3)")
                          .arg(m_stop)
                          .arg(XML_GetCurrentLineNumber(m_parser))
                          .arg(XML_GetCurrentColumnNumber(m_parser) + 1);
            return {};
        }
        return m_responses;
    }

private:
    static ResponseParser& self(void* data) { return *static_cast<ResponseParser*>(data); }

    void stop(const QString& reason)
    {
        if (m_stop.isEmpty()) {
            m_stop = reason;
        }
        XML_StopParser(m_parser, XML_FALSE);
    }

    static void onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int)
    {
        self(data).stop(QStringLiteral("it declares a document type, which a QuickBooks answer never does"));
    }

    static void onEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*, const XML_Char*,
                         const XML_Char*, const XML_Char*)
    {
        self(data).stop(QStringLiteral("it declares an entity, which a QuickBooks answer never does"));
    }

    static void onText(void* data, const XML_Char* text, int length)
    {
        ResponseParser& parser = self(data);
        parser.m_text.append(text, length);
        if (qint64(parser.m_text.size()) > parser.m_limits.maxTextBytes) {
            parser.stop(QStringLiteral("a text of more than %1 characters is longer than any QuickBooks answer holds")
                            .arg(parser.m_limits.maxTextBytes));
        }
    }

    /// An attribute's value, or nothing.
    std::optional<QString> attribute(const XML_Char** attributes, const char* name)
    {
        for (int i = 0; attributes[i] != nullptr; i += 2) {
            if (std::strcmp(attributes[i], name) == 0) {
                const qsizetype length = qsizetype(std::strlen(attributes[i + 1]));
                if (qint64(length) > m_limits.maxTextBytes) {
                    stop(QStringLiteral("a text of %1 characters is longer than any QuickBooks answer holds")
                             .arg(length));
                    return QString();
                }
                return QString::fromUtf8(attributes[i + 1], length);
            }
        }
        return std::nullopt;
    }

    /// A whole-number attribute, read without making a text of it: report cells each carry one.
    static int numberAttribute(const XML_Char** attributes, const char* name, bool& numeric)
    {
        numeric = false;
        for (int i = 0; attributes[i] != nullptr; i += 2) {
            if (std::strcmp(attributes[i], name) == 0) {
                char* end = nullptr;
                const long value = std::strtol(attributes[i + 1], &end, 10);
                while (end != nullptr && (*end == ' ' || *end == '\t')) {
                    ++end;
                }
                numeric =
                    end != attributes[i + 1] && end != nullptr && *end == '\0' && value >= INT_MIN && value <= INT_MAX;
                return numeric ? int(value) : 0;
            }
        }
        return 0;
    }

    bool parentIs(const char* name) const { return m_path.size() >= 2 && m_path[m_path.size() - 2] == name; }

    static void onStart(void* data, const XML_Char* name, const XML_Char** attributes)
    {
        self(data).start(name, attributes);
    }
    static void onEnd(void* data, const XML_Char* name) { self(data).end(name); }

    void start(const char* name, const XML_Char** attributes)
    {
        m_path.emplace_back(name);
        m_text.clear();
        const int depth = int(m_path.size());
        if (depth == 1) {
            if (std::strcmp(name, "QBXML") != 0) {
                stop(QStringLiteral("its root element is <%1>, not <QBXML>").arg(QString::fromUtf8(name)));
            }
            m_rootSeen = true;
            return;
        }
        if (depth == 3 && parentIs("QBXMLMsgsRs")) {
            startResponse(name, attributes);
            return;
        }
        if (m_response == nullptr || depth < 4) {
            return;
        }
        if (depth == 4) {
            if (std::strcmp(name, "HostRet") == 0) {
                m_response->host = QbHost();
            } else if (std::strcmp(name, "CompanyRet") == 0) {
                m_response->company = QbCompany();
            } else if (std::strcmp(name, "EmployeeRet") == 0) {
                m_response->employees.append(QbEmployee());
            } else if (std::strcmp(name, "PayrollItemNonWageRet") == 0) {
                m_response->payrollItems.append(QbPayrollItem());
            } else if (std::strcmp(name, "ReportRet") == 0) {
                m_response->report = QbReport();
            }
            return;
        }
        if (depth == 5 && parentIs("EmployeeRet") && std::strcmp(name, "DataExtRet") == 0) {
            m_response->employees.back().customFields.append(QbCustomField());
        } else if (m_response->report && depth == 5 && std::strcmp(name, "ColDesc") == 0) {
            QbReportColumn column;
            column.colId = attribute(attributes, "colID").value_or(QString()).trimmed().toInt();
            m_response->report->columns.append(column);
        } else if (m_response->report && depth == 6 && parentIs("ColDesc") && std::strcmp(name, "ColTitle") == 0 &&
                   !m_response->report->columns.isEmpty()) {
            m_response->report->columns.back().titles.append(attribute(attributes, "value").value_or(QString()));
        } else if (m_response->report && depth == 6 && parentIs("ReportData")) {
            startRow(name, attributes);
        } else if (m_response->report && depth == 7 && std::strcmp(name, "ColData") == 0 &&
                   !m_response->report->rows.isEmpty()) {
            bool numeric = false;
            const int colId = numberAttribute(attributes, "colID", numeric);
            const std::optional<QString> value = attribute(attributes, "value");
            // A cell without its column or its value carries nothing.
            if (numeric && value) {
                m_response->report->rows.back().cells.append({colId, *value});
            }
        }
    }

    void startResponse(const char* name, const XML_Char** attributes)
    {
        m_responses.append(QbResponse());
        m_response = &m_responses.back();
        m_response->element = QString::fromUtf8(name);
        m_response->requestId = attribute(attributes, "requestID");
        bool numeric = false;
        m_response->status.code = attribute(attributes, "statusCode").value_or(QString()).trimmed().toInt(&numeric);
        if (!numeric) {
            stop(QStringLiteral("the response <%1> has no numeric statusCode").arg(m_response->element));
        }
        m_response->status.severity = attribute(attributes, "statusSeverity").value_or(QString());
        m_response->status.message = attribute(attributes, "statusMessage").value_or(QString());
    }

    void startRow(const char* name, const XML_Char** attributes)
    {
        QbReportRow row;
        if (std::strcmp(name, "DataRow") == 0) {
            row.kind = QbRowKind::Data;
        } else if (std::strcmp(name, "TextRow") == 0) {
            row.kind = QbRowKind::Text;
            row.text = attribute(attributes, "value").value_or(QString());
        } else if (std::strcmp(name, "SubtotalRow") == 0) {
            row.kind = QbRowKind::Subtotal;
        } else if (std::strcmp(name, "TotalRow") == 0) {
            row.kind = QbRowKind::Total;
        } else {
            stop(QStringLiteral("a report holds the unknown row <%1>").arg(QString::fromUtf8(name)));
            return;
        }
        m_response->report->rows.append(std::move(row));
    }

    void end(const char*)
    {
        if (m_response != nullptr && m_path.size() >= 5) {
            takeText();
        }
        if (m_path.size() == 3) {
            m_response = nullptr;
        }
        m_path.pop_back();
        m_text.clear();
    }

    /// A leaf element's text, into the field it fills.
    void takeText()
    {
        const int depth = int(m_path.size());
        const char* name = m_path.back().c_str();
        const auto is = [name](const char* other) { return std::strcmp(name, other) == 0; };
        const auto text = [this] { return QString::fromUtf8(m_text); };
        if (depth == 5) {
            if (parentIs("HostRet")) {
                QbHost& host = *m_response->host;
                if (is("ProductName")) {
                    host.productName = text();
                } else if (is("MajorVersion")) {
                    host.majorVersion = text();
                } else if (is("MinorVersion")) {
                    host.minorVersion = text();
                }
            } else if (parentIs("CompanyRet")) {
                QbCompany& company = *m_response->company;
                if (is("CompanyName")) {
                    company.name = text();
                } else if (is("LegalCompanyName")) {
                    company.legalName = text();
                } else if (is("EIN")) {
                    company.ein = text();
                }
            } else if (parentIs("EmployeeRet")) {
                QbEmployee& employee = m_response->employees.back();
                if (is("Name")) {
                    employee.name = text();
                } else if (is("FirstName")) {
                    employee.firstName = text();
                } else if (is("MiddleName")) {
                    employee.middleName = text();
                } else if (is("LastName")) {
                    employee.lastName = text();
                } else if (is("SSN")) {
                    employee.ssn = text();
                }
            } else if (parentIs("PayrollItemNonWageRet")) {
                QbPayrollItem& item = m_response->payrollItems.back();
                if (is("Name")) {
                    item.name = text();
                } else if (is("NonWageType")) {
                    item.nonWageType = text();
                }
            } else if (parentIs("ReportRet") && is("ReportTitle")) {
                m_response->report->title = text();
            }
        } else if (depth == 6 && m_response->company && m_path[3] == "CompanyRet" &&
                   (parentIs("Address") || parentIs("LegalAddress"))) {
            QbAddress& address = parentIs("Address") ? m_response->company->address : m_response->company->legalAddress;
            if (is("Addr1")) {
                address.addr1 = text();
            } else if (is("City")) {
                address.city = text();
            } else if (is("State")) {
                address.state = text();
            } else if (is("PostalCode")) {
                address.postalCode = text();
            }
        } else if (depth == 6 && parentIs("DataExtRet") && m_path[3] == "EmployeeRet") {
            QbCustomField& field = m_response->employees.back().customFields.back();
            if (is("OwnerID")) {
                field.ownerId = text();
            } else if (is("DataExtName")) {
                field.name = text();
            } else if (is("DataExtValue")) {
                field.value = text();
            }
        }
    }

    const QByteArray& m_document;
    QbParseLimits m_limits;
    XML_Parser m_parser = nullptr;
    std::vector<std::string> m_path; ///< short names stay inside the strings, without an allocation
    QByteArray m_text;
    QList<QbResponse> m_responses;
    QbResponse* m_response = nullptr;
    bool m_rootSeen = false;
    QString m_stop;
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
    QString failure;
    QList<QbResponse> responses = parser.run(failure);
    if (!failure.isEmpty()) {
        throw QbError(QStringLiteral("The QuickBooks answer could not be read: %1.").arg(failure));
    }
    return responses;
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
