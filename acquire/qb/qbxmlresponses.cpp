#include "acquire/qb/qbxmlresponses.h"

#include "acquire/qb/qbtransport.h"

#include <QBuffer>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <libxml/parser.h>
#include <string>
#include <vector>

namespace wagetrove {
namespace {

/// An attribute as libxml2 hands it over: its value lies between two pointers, without a terminating zero.
struct Attribute
{
    const char* begin = nullptr;
    const char* end = nullptr;

    std::string_view view() const { return {begin, size_t(end - begin)}; }
};

const char* chars(const xmlChar* text)
{
    return reinterpret_cast<const char*>(text);
}

/// Reads a response document with libxml2's SAX2 parser, as a stream of elements: a payroll answer can hold
/// millions of report cells, and libxml2 hands over attribute values without copying them. Only the elements
/// the readers take are kept.
class ResponseParser
{
public:
    explicit ResponseParser(const QbParseLimits& limits) : m_limits(limits)
    {
        xmlSAXHandler handler{};
        handler.initialized = XML_SAX2_MAGIC;
        handler.startElementNs = &ResponseParser::onStart;
        handler.endElementNs = &ResponseParser::onEnd;
        handler.characters = &ResponseParser::onText;
        handler.cdataBlock = &ResponseParser::onText;
        handler.internalSubset = &ResponseParser::onDoctype;
        handler.entityDecl = &ResponseParser::onEntity;
        // Errors are read from the context once the parse ends, never printed.
        handler.serror = [](void*, xmlErrorPtr) {};
        m_context = xmlCreatePushParserCtxt(&handler, this, nullptr, 0, nullptr);
        if (m_context != nullptr) {
            xmlCtxtUseOptions(m_context, XML_PARSE_NONET);
        }
    }
    ~ResponseParser()
    {
        if (m_context != nullptr) {
            xmlFreeParserCtxt(m_context);
        }
    }
    ResponseParser(const ResponseParser&) = delete;
    ResponseParser& operator=(const ResponseParser&) = delete;

    /// The responses of the document `device` holds, or the reason it cannot be read in `failure`.
    QList<QbResponse> run(QIODevice& device, QString& failure, const QbReadProgress& progress)
    {
        if (m_context == nullptr) {
            failure = QStringLiteral("there is not enough memory to read it");
            return {};
        }
        // Fed in slices, so that a refusal ends the work early and libxml2 holds one slice at a time. libxml2
        // copies what it is fed, so the slice is read into the same buffer each time.
        constexpr qint64 kSlice = qint64(1) << 20;
        const qint64 total = device.size();
        QByteArray slice(qsizetype(std::min(kSlice, total)), Qt::Uninitialized);
        bool parsed = true;
        qint64 offset = 0;
        do {
            const qint64 size = device.read(slice.data(), std::min(kSlice, total - offset));
            if (size < 0 || (size == 0 && offset < total)) {
                failure = QStringLiteral("it ends after %1 of its %2 bytes (%3)")
                              .arg(offset)
                              .arg(total)
                              .arg(device.errorString());
                return {};
            }
            offset += size;
            const bool last = offset == total;
            parsed = xmlParseChunk(m_context, slice.constData(), int(size), last ? 1 : 0) == 0;
            if (parsed && progress && !progress(offset, total)) {
                throw QbCancelled{};
            }
        } while (parsed && m_stop.isEmpty() && offset < total);
        if (m_stop.isEmpty() && !parsed) {
            const xmlError* error = xmlCtxtGetLastError(m_context);
            m_stop = error != nullptr && error->message != nullptr ? QString::fromUtf8(error->message).trimmed()
                                                                   : QStringLiteral("it is not well-formed XML");
        }
        if (m_stop.isEmpty() && !m_rootSeen) {
            m_stop = QStringLiteral("it holds no <QBXML> element");
        }
        if (!m_stop.isEmpty()) {
            failure = QStringLiteral("%1 (line %2, column %3)")
                          .arg(m_stop)
                          .arg(xmlSAX2GetLineNumber(m_context))
                          .arg(xmlSAX2GetColumnNumber(m_context));
            return {};
        }
        return m_responses;
    }

private:
    static ResponseParser& self(void* data) { return *static_cast<ResponseParser*>(data); }

    /// Records why the reading ends. libxml2 is stopped only once the callback is over (haltIfStopped()): stopping
    /// it frees the input that the callback's attribute values still point into.
    void stop(const QString& reason)
    {
        if (m_stop.isEmpty()) {
            m_stop = reason;
        }
    }
    void haltIfStopped()
    {
        if (!m_stop.isEmpty() && !m_halted) {
            m_halted = true;
            xmlStopParser(m_context);
        }
    }

    static void onDoctype(void* data, const xmlChar*, const xmlChar*, const xmlChar*)
    {
        self(data).stop(QStringLiteral("it declares a document type, which a QuickBooks answer never does"));
        self(data).haltIfStopped();
    }

    static void onEntity(void* data, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*)
    {
        self(data).stop(QStringLiteral("it declares an entity, which a QuickBooks answer never does"));
        self(data).haltIfStopped();
    }

    static void onText(void* data, const xmlChar* text, int length)
    {
        self(data).text(text, length);
        self(data).haltIfStopped();
    }

    void text(const xmlChar* text, int length)
    {
        // Nothing inside a report's rows is text: the blanks between its millions of cells are not kept.
        if (!m_stop.isEmpty() || m_inReportData) {
            return;
        }
        m_text.append(chars(text), length);
        if (qint64(m_text.size()) > m_limits.maxTextBytes) {
            stop(QStringLiteral("a text of more than %1 characters is longer than any QuickBooks answer holds")
                     .arg(m_limits.maxTextBytes));
        }
    }

    /// An attribute of the element being started, or nothing.
    static std::optional<Attribute> find(int count, const xmlChar** attributes, const char* name)
    {
        for (int i = 0; i < count; ++i) {
            const xmlChar** attribute = attributes + 5 * i;
            if (same(chars(attribute[0]), name)) {
                return Attribute{chars(attribute[3]), chars(attribute[4])};
            }
        }
        return std::nullopt;
    }

    /// An attribute's value as UTF-8, or nothing when it is longer than the limits allow.
    std::optional<std::string_view> bounded(const Attribute& attribute)
    {
        const qint64 length = qint64(attribute.end - attribute.begin);
        if (length > m_limits.maxTextBytes) {
            stop(QStringLiteral("a text of %1 characters is longer than any QuickBooks answer holds").arg(length));
            return std::nullopt;
        }
        return attribute.view();
    }

    /// Appends an attribute's value as UTF-8. libxml2 hands a "&" over as its reference "&#38;" when it does not
    /// replace entities, which is the safe way to run it; that reference is the only one it leaves, and it is
    /// turned back here.
    static void appendValue(QByteArray& into, std::string_view value)
    {
        constexpr std::string_view kAmpersand = "&#38;";
        for (size_t at = value.find(kAmpersand); at != std::string_view::npos; at = value.find(kAmpersand)) {
            appendBytes(into, value.substr(0, at));
            into.append('&');
            value.remove_prefix(at + kAmpersand.size());
        }
        appendBytes(into, value);
    }

    /// QByteArray::append(const char*, qsizetype) goes through the general insert; a report appends millions.
    static void appendBytes(QByteArray& into, std::string_view bytes)
    {
        const qsizetype at = into.size();
        into.resize(at + qsizetype(bytes.size()));
        std::memcpy(into.data() + at, bytes.data(), bytes.size());
    }

    /// An attribute's value as a text, or nothing.
    std::optional<QString> attribute(int count, const xmlChar** attributes, const char* name)
    {
        const std::optional<Attribute> found = find(count, attributes, name);
        if (!found) {
            return std::nullopt;
        }
        const std::optional<std::string_view> value = bounded(*found);
        if (!value) {
            return QString();
        }
        if (value->find('&') == std::string_view::npos) {
            return QString::fromUtf8(value->data(), qsizetype(value->size()));
        }
        QByteArray decoded;
        appendValue(decoded, *value);
        return QString::fromUtf8(decoded);
    }

    /// A whole-number attribute, read without making a text of it: report cells each carry one.
    static std::optional<int> numberAttribute(int count, const xmlChar** attributes, const char* name)
    {
        const std::optional<Attribute> found = find(count, attributes, name);
        if (!found) {
            return std::nullopt;
        }
        std::string_view text = found->view();
        const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
        while (!text.empty() && blank(text.front())) {
            text.remove_prefix(1);
        }
        while (!text.empty() && blank(text.back())) {
            text.remove_suffix(1);
        }
        if (!text.empty() && text.front() == '+') {
            text.remove_prefix(1);
        }
        int value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
            return std::nullopt;
        }
        return value;
    }

    static bool same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }
    bool parentIs(const char* name) const { return m_path.size() >= 2 && same(m_path[m_path.size() - 2], name); }

    static void onStart(void* data, const xmlChar* name, const xmlChar*, const xmlChar*, int, const xmlChar**,
                        int count, int, const xmlChar** attributes)
    {
        self(data).start(chars(name), count, attributes);
        self(data).haltIfStopped();
    }
    static void onEnd(void* data, const xmlChar*, const xmlChar*, const xmlChar*)
    {
        self(data).end();
        self(data).haltIfStopped();
    }

    void start(const char* name, int count, const xmlChar** attributes)
    {
        if (!m_stop.isEmpty()) {
            return;
        }
        m_path.push_back(name);
        // Emptied, not freed: nearly every element has a text, if only the line end after it.
        m_text.truncate(0);
        const int depth = int(m_path.size());
        if (m_inReportData) {
            if (depth == 6) {
                startRow(name, count, attributes);
            } else if (depth == 7 && same(name, "ColData") && !m_response->report->rows.isEmpty()) {
                addCell(*m_response->report, count, attributes);
            }
            return;
        }
        if (depth == 1) {
            if (!same(name, "QBXML")) {
                stop(QStringLiteral("its root element is <%1>, not <QBXML>").arg(QString::fromUtf8(name)));
            }
            m_rootSeen = true;
            return;
        }
        if (depth == 3 && parentIs("QBXMLMsgsRs")) {
            startResponse(name, count, attributes);
            return;
        }
        if (m_response == nullptr || depth < 4) {
            return;
        }
        if (depth == 4) {
            if (same(name, "HostRet")) {
                m_response->host = QbHost();
            } else if (same(name, "CompanyRet")) {
                m_response->company = QbCompany();
            } else if (same(name, "EmployeeRet")) {
                m_response->employees.append(QbEmployee());
            } else if (same(name, "PayrollItemNonWageRet")) {
                m_response->payrollItems.append(QbPayrollItem());
            } else if (same(name, "ReportRet")) {
                m_response->report = QbReport();
            }
            return;
        }
        if (depth == 5 && parentIs("EmployeeRet") && same(name, "DataExtRet")) {
            m_response->employees.back().customFields.append(QbCustomField());
        } else if (m_response->report && depth == 5 && same(name, "ColDesc")) {
            QbReportColumn column;
            column.colId = attribute(count, attributes, "colID").value_or(QString()).trimmed().toInt();
            m_response->report->columns.append(column);
        } else if (m_response->report && depth == 6 && parentIs("ColDesc") && same(name, "ColTitle") &&
                   !m_response->report->columns.isEmpty()) {
            m_response->report->columns.back().titles.append(attribute(count, attributes, "value").value_or(QString()));
        } else if (m_response->report && depth == 5 && parentIs("ReportRet") && same(name, "ReportData")) {
            m_inReportData = true;
        }
    }

    void addCell(QbReport& report, int count, const xmlChar** attributes)
    {
        const std::optional<int> colId = numberAttribute(count, attributes, "colID");
        const std::optional<Attribute> found = find(count, attributes, "value");
        // A cell without its column or its value carries nothing.
        if (!colId || !found) {
            return;
        }
        const std::optional<std::string_view> value = bounded(*found);
        if (!value) {
            return;
        }
        if (report.values.size() + qsizetype(value->size()) > qsizetype(INT_MAX)) {
            stop(QStringLiteral("its report holds more than 2 GB of values, more than any company's payroll"));
            return;
        }
        const qsizetype offset = report.values.size();
        appendValue(report.values, *value);
        report.cells.append({*colId, qint32(offset), qint32(report.values.size() - offset)});
        ++report.rows.back().cellCount;
    }

    void startResponse(const char* name, int count, const xmlChar** attributes)
    {
        m_responses.append(QbResponse());
        m_response = &m_responses.back();
        m_response->element = QString::fromUtf8(name);
        m_response->requestId = attribute(count, attributes, "requestID");
        bool numeric = false;
        m_response->status.code =
            attribute(count, attributes, "statusCode").value_or(QString()).trimmed().toInt(&numeric);
        if (!numeric) {
            stop(QStringLiteral("the response <%1> has no numeric statusCode").arg(m_response->element));
        }
        m_response->status.severity = attribute(count, attributes, "statusSeverity").value_or(QString());
        m_response->status.message = attribute(count, attributes, "statusMessage").value_or(QString());
    }

    void startRow(const char* name, int count, const xmlChar** attributes)
    {
        QbReportRow row;
        if (same(name, "DataRow")) {
            row.kind = QbRowKind::Data;
        } else if (same(name, "TextRow")) {
            row.kind = QbRowKind::Text;
            row.text = attribute(count, attributes, "value").value_or(QString());
        } else if (same(name, "SubtotalRow")) {
            row.kind = QbRowKind::Subtotal;
        } else if (same(name, "TotalRow")) {
            row.kind = QbRowKind::Total;
        } else {
            stop(QStringLiteral("a report holds the unknown row <%1>").arg(QString::fromUtf8(name)));
            return;
        }
        row.firstCell = m_response->report->cells.size();
        m_response->report->rows.append(std::move(row));
    }

    void end()
    {
        if (!m_stop.isEmpty() || m_path.empty()) {
            return;
        }
        if (m_response != nullptr && m_path.size() >= 5 && !m_inReportData) {
            takeText();
        }
        if (m_path.size() == 3) {
            m_response = nullptr;
        }
        if (m_path.size() == 5) {
            m_inReportData = false;
        }
        m_path.pop_back();
        m_text.truncate(0);
    }

    /// A leaf element's text, into the field it fills.
    void takeText()
    {
        const int depth = int(m_path.size());
        const char* name = m_path.back();
        const auto is = [name](const char* other) { return same(name, other); };
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
        } else if (depth == 6 && m_response->company && same(m_path[3], "CompanyRet") &&
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
        } else if (depth == 6 && parentIs("DataExtRet") && same(m_path[3], "EmployeeRet")) {
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

    QbParseLimits m_limits;
    xmlParserCtxtPtr m_context = nullptr;
    std::vector<const char*> m_path; ///< libxml2 keeps each name in its dictionary while it parses
    bool m_inReportData = false;
    bool m_halted = false;
    QByteArray m_text;
    QList<QbResponse> m_responses;
    QbResponse* m_response = nullptr;
    bool m_rootSeen = false;
    QString m_stop;
};

} // namespace

QList<QbResponse> parseResponseDocument(const QByteArray& document, const QbParseLimits& limits,
                                        const QbReadProgress& progress)
{
    QBuffer buffer;
    buffer.setData(document);
    buffer.open(QIODevice::ReadOnly);
    return parseResponseDevice(buffer, limits, progress);
}

QList<QbResponse> parseResponseDevice(QIODevice& device, const QbParseLimits& limits, const QbReadProgress& progress)
{
    if (device.size() > limits.maxDocumentBytes) {
        throw QbError(QStringLiteral("The QuickBooks answer of %1 bytes is larger than %2 bytes, more than any "
                                     "company's payroll needs; it was not read.")
                          .arg(device.size())
                          .arg(limits.maxDocumentBytes));
    }
    ResponseParser parser(limits);
    QString failure;
    QList<QbResponse> responses = parser.run(device, failure, progress);
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
