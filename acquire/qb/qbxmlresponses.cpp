#include "acquire/qb/qbxmlresponses.h"

#include "acquire/qb/qbtransport.h"
#include "common/xmltokenizer.h"

#include <QBuffer>
#include <QScopeGuard>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <expat.h>
#include <string>
#include <vector>

namespace wagetrove {
namespace {

/// An attribute's value: zero-terminated UTF-8, references replaced, valid for the callback only.
const char* find(const char** attributes, const char* name)
{
    for (const char** attribute = attributes; *attribute != nullptr; attribute += 2) {
        if (std::strcmp(attribute[0], name) == 0) {
            return attribute[1];
        }
    }
    return nullptr;
}

/// The responses of a document, taken from its elements as they stream by: a payroll answer can hold millions of
/// report cells. Only the elements the readers take are kept. The same handler serves the tokenizer and expat,
/// which hand elements over alike.
class ResponseHandler final : public XmlEvents
{
public:
    explicit ResponseHandler(const QbParseLimits& limits) : m_limits(limits) {}

    bool startElement(const char* name, const char** attributes) override
    {
        if (m_depth == m_path.size()) {
            m_path.emplace_back();
        }
        // Names are kept in strings that stay, so that a report's millions of elements take no new memory.
        m_path[m_depth].assign(name);
        ++m_depth;
        // Emptied, not freed: nearly every element has a text, if only the line end after it.
        m_text.truncate(0);
        start(name, attributes);
        return m_stop.isEmpty();
    }
    bool endElement(const char*) override
    {
        end();
        return m_stop.isEmpty();
    }
    bool characters(const char* text, size_t length) override
    {
        // Nothing inside a report's rows is text: the blanks between its millions of cells are not kept.
        if (m_inReportData) {
            return true;
        }
        m_text.append(text, qsizetype(length));
        if (qint64(m_text.size()) > m_limits.maxTextBytes) {
            stop(QStringLiteral("a text of more than %1 characters is longer than any QuickBooks answer holds")
                     .arg(m_limits.maxTextBytes));
        }
        return m_stop.isEmpty();
    }

    /// Records why the reading ends; the first reason stands.
    void stop(const QString& reason)
    {
        if (m_stop.isEmpty()) {
            m_stop = reason;
        }
    }
    const QString& stopped() const { return m_stop; }
    QList<QbResponse> takeResponses() { return std::move(m_responses); }

private:
    /// An attribute's value as UTF-8, or nothing when it is missing or longer than the limits allow.
    std::optional<std::string_view> bounded(const char** attributes, const char* name)
    {
        const char* found = find(attributes, name);
        if (found == nullptr) {
            return std::nullopt;
        }
        const std::string_view value(found);
        if (qint64(value.size()) > m_limits.maxTextBytes) {
            stop(
                QStringLiteral("a text of %1 characters is longer than any QuickBooks answer holds").arg(value.size()));
            return std::nullopt;
        }
        return value;
    }

    /// An attribute's value as a text: nothing when it is missing, empty when it is too long.
    std::optional<QString> attribute(const char** attributes, const char* name)
    {
        if (find(attributes, name) == nullptr) {
            return std::nullopt;
        }
        const std::optional<std::string_view> value = bounded(attributes, name);
        return value ? QString::fromUtf8(value->data(), qsizetype(value->size())) : QString();
    }

    /// A whole-number attribute, read without making a text of it: report cells each carry one.
    static std::optional<int> numberAttribute(const char** attributes, const char* name)
    {
        const char* found = find(attributes, name);
        if (found == nullptr) {
            return std::nullopt;
        }
        std::string_view text(found);
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

    bool parentIs(const char* name) const { return m_depth >= 2 && m_path[m_depth - 2] == name; }

    void start(const char* name, const char** attributes)
    {
        const auto is = [name](const char* other) { return std::strcmp(name, other) == 0; };
        if (m_inReportData) {
            if (m_depth == 6) {
                startRow(name, attributes);
            } else if (m_depth == 7 && is("ColData") && !m_response->report->rows.isEmpty()) {
                addCell(*m_response->report, attributes);
            }
            return;
        }
        if (m_depth == 1) {
            if (!is("QBXML")) {
                stop(QStringLiteral("its root element is <%1>, not <QBXML>").arg(QString::fromUtf8(name)));
            }
            return;
        }
        if (m_depth == 3 && parentIs("QBXMLMsgsRs")) {
            startResponse(name, attributes);
            return;
        }
        if (m_response == nullptr || m_depth < 4) {
            return;
        }
        if (m_depth == 4) {
            if (is("HostRet")) {
                m_response->host = QbHost();
            } else if (is("CompanyRet")) {
                m_response->company = QbCompany();
            } else if (is("EmployeeRet")) {
                m_response->employees.append(QbEmployee());
            } else if (is("PayrollItemNonWageRet")) {
                m_response->payrollItems.append(QbPayrollItem());
            } else if (is("ReportRet")) {
                m_response->report = QbReport();
            }
            return;
        }
        if (m_depth == 5 && parentIs("EmployeeRet") && is("DataExtRet")) {
            m_response->employees.back().customFields.append(QbCustomField());
        } else if (m_response->report && m_depth == 5 && is("ColDesc")) {
            QbReportColumn column;
            column.colId = attribute(attributes, "colID").value_or(QString()).trimmed().toInt();
            m_response->report->columns.append(column);
        } else if (m_response->report && m_depth == 6 && parentIs("ColDesc") && is("ColTitle") &&
                   !m_response->report->columns.isEmpty()) {
            m_response->report->columns.back().titles.append(attribute(attributes, "value").value_or(QString()));
        } else if (m_response->report && m_depth == 5 && parentIs("ReportRet") && is("ReportData")) {
            m_inReportData = true;
        }
    }

    void addCell(QbReport& report, const char** attributes)
    {
        const std::optional<int> colId = numberAttribute(attributes, "colID");
        // A cell without its column or its value carries nothing.
        const std::optional<std::string_view> value = colId ? bounded(attributes, "value") : std::nullopt;
        if (!value) {
            return;
        }
        if (report.values.size() + qsizetype(value->size()) > qsizetype(INT_MAX)) {
            stop(QStringLiteral("its report holds more than 2 GB of values, more than any company's payroll"));
            return;
        }
        // QByteArray::append(const char*, qsizetype) goes through the general insert; a report appends millions.
        const qsizetype offset = report.values.size();
        report.values.resize(offset + qsizetype(value->size()));
        std::memcpy(report.values.data() + offset, value->data(), value->size());
        report.cells.append({*colId, qint32(offset), qint32(value->size())});
        ++report.rows.back().cellCount;
    }

    void startResponse(const char* name, const char** attributes)
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

    void startRow(const char* name, const char** attributes)
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
        row.firstCell = m_response->report->cells.size();
        m_response->report->rows.append(std::move(row));
    }

    void end()
    {
        if (m_response != nullptr && m_depth >= 5 && !m_inReportData) {
            takeText();
        }
        if (m_depth == 3) {
            m_response = nullptr;
        }
        if (m_depth == 5) {
            m_inReportData = false;
        }
        --m_depth;
        m_text.truncate(0);
    }

    /// A leaf element's text, into the field it fills.
    void takeText()
    {
        const std::string& name = m_path[m_depth - 1];
        const auto is = [&name](const char* other) { return name == other; };
        const auto text = [this] { return QString::fromUtf8(m_text); };
        if (m_depth == 5) {
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
        } else if (m_depth == 6 && m_response->company && m_path[3] == "CompanyRet" &&
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
        } else if (m_depth == 6 && parentIs("DataExtRet") && m_path[3] == "EmployeeRet") {
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
    std::vector<std::string> m_path; ///< the open elements' names; only the first m_depth are in use
    size_t m_depth = 0;
    bool m_inReportData = false;
    QByteArray m_text;
    QList<QbResponse> m_responses;
    QbResponse* m_response = nullptr;
    QString m_stop;
};

constexpr qint64 kSlice = qint64(1) << 20;
const QString kDocumentType = QStringLiteral("it declares a document type, which a QuickBooks answer never does");

/// Reads the next slice of the answer into `into`; false with `failure` set when the device ends early or fails.
bool readSlice(QIODevice& device, char* into, qint64& offset, qint64 total, QString& failure)
{
    const qint64 size = device.read(into, std::min(kSlice, total - offset));
    if (size < 0 || (size == 0 && offset < total)) {
        failure =
            QStringLiteral("it ends after %1 of its %2 bytes (%3)").arg(offset).arg(total).arg(device.errorString());
        return false;
    }
    offset += size;
    return true;
}

/// What expat's callbacks reach: the handler, the parser to stop, and where the last event was.
struct ExpatRun
{
    XML_Parser parser = nullptr;
    ResponseHandler* handler = nullptr;
    qint64 lastEvent = 0;

    static ExpatRun& of(void* data)
    {
        auto& run = *static_cast<ExpatRun*>(data);
        run.lastEvent = qint64(XML_GetCurrentByteIndex(run.parser));
        return run;
    }
    void goOnIf(bool goOn) const
    {
        if (!goOn) {
            XML_StopParser(parser, XML_FALSE);
        }
    }
};

void XMLCALL onExpatStart(void* data, const XML_Char* name, const XML_Char** attributes)
{
    ExpatRun& run = ExpatRun::of(data);
    run.goOnIf(run.handler->startElement(name, attributes));
}
void XMLCALL onExpatEnd(void* data, const XML_Char* name)
{
    ExpatRun& run = ExpatRun::of(data);
    run.goOnIf(run.handler->endElement(name));
}
void XMLCALL onExpatText(void* data, const XML_Char* text, int length)
{
    ExpatRun& run = ExpatRun::of(data);
    run.goOnIf(run.handler->characters(text, size_t(length)));
}
void XMLCALL onExpatDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int)
{
    ExpatRun& run = ExpatRun::of(data);
    run.handler->stop(kDocumentType);
    run.goOnIf(false);
}

/// The reason for refusing a token longer than any text allowed, and a little more.
QString tokenTooLong(const QbParseLimits& limits)
{
    return QStringLiteral("a text of more than %1 characters is longer than any QuickBooks answer holds")
        .arg(limits.maxTextBytes);
}

/// Reads a document in another encoding than UTF-8, which the tokenizer leaves alone, with expat from its start.
/// Returns the reason it cannot be read, or nothing.
QString readWithExpat(QIODevice& device, ResponseHandler& handler, const QbParseLimits& limits,
                      const QbReadProgress& progress)
{
    if (device.isSequential() || !device.seek(0)) {
        return QStringLiteral("its encoding needs a second reading, and the answer cannot be read again");
    }
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (parser == nullptr) {
        return QStringLiteral("there is not enough memory to read it");
    }
    const auto freeParser = qScopeGuard([parser] { XML_ParserFree(parser); });
    ExpatRun run{parser, &handler, 0};
    XML_SetUserData(parser, &run);
    XML_SetElementHandler(parser, &onExpatStart, &onExpatEnd);
    XML_SetCharacterDataHandler(parser, &onExpatText);
    XML_SetStartDoctypeDeclHandler(parser, &onExpatDoctype);
    const qint64 total = device.size();
    QString failure;
    qint64 offset = 0;
    for (;;) {
        void* buffer = XML_GetBuffer(parser, int(kSlice));
        if (buffer == nullptr) {
            return QStringLiteral("there is not enough memory to read it");
        }
        const qint64 before = offset;
        if (!readSlice(device, static_cast<char*>(buffer), offset, total, failure)) {
            return failure;
        }
        const bool last = offset == total;
        if (XML_ParseBuffer(parser, int(offset - before), last ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
            if (!handler.stopped().isEmpty()) {
                return handler.stopped();
            }
            return QStringLiteral("%1 (line %2)")
                .arg(QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(parser))))
                .arg(XML_GetCurrentLineNumber(parser));
        }
        if (progress && !progress(offset, total)) {
            throw QbCancelled{};
        }
        if (last) {
            return {};
        }
        // Expat scans a token it has not finished again with each slice: one endless token would take time that
        // grows with its square.
        if (offset - run.lastEvent > limits.maxTextBytes + kSlice) {
            return tokenTooLong(limits);
        }
    }
}

/// Reads the document `device` holds into `handler`, a slice at a time, so that a refusal ends the work early and
/// one slice is held at a time. Returns the reason it cannot be read, or nothing.
QString readDocument(QIODevice& device, ResponseHandler& handler, const QbParseLimits& limits,
                     const QbReadProgress& progress)
{
    const qint64 total = device.size();
    XmlTokenizer tokenizer;
    QString failure;
    qint64 offset = 0;
    for (;;) {
        const qint64 before = offset;
        if (!readSlice(device, tokenizer.buffer(size_t(std::min(kSlice, total - offset))), offset, total, failure)) {
            return failure;
        }
        const XmlTokenizer::Result result = tokenizer.parse(handler, size_t(offset - before), offset == total);
        switch (result) {
        case XmlTokenizer::Result::NeedsMore:
            // A token that does not end (a comment, a tag) is refused before it fills the memory. A tag may hold a
            // value of the longest text allowed, and a little more.
            if (qint64(tokenizer.pendingBytes()) > limits.maxTextBytes + kSlice) {
                return tokenTooLong(limits);
            }
            if (offset == total) {
                return QStringLiteral("it is not well-formed XML");
            }
            break;
        case XmlTokenizer::Result::Finished:
            break;
        case XmlTokenizer::Result::Stopped:
            return handler.stopped();
        case XmlTokenizer::Result::DocumentType:
            return kDocumentType;
        case XmlTokenizer::Result::Failed:
            return QStringLiteral("%1 (line %2)").arg(QString::fromUtf8(tokenizer.error())).arg(tokenizer.errorLine());
        case XmlTokenizer::Result::Unsupported:
            return readWithExpat(device, handler, limits, progress);
        }
        if (progress && !progress(offset, total)) {
            throw QbCancelled{};
        }
        if (result == XmlTokenizer::Result::Finished) {
            return {};
        }
    }
}

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
    ResponseHandler handler(limits);
    const QString failure = readDocument(device, handler, limits, progress);
    if (!failure.isEmpty()) {
        throw QbError(QStringLiteral("The QuickBooks answer could not be read: %1.").arg(failure));
    }
    QList<QbResponse> responses = handler.takeResponses();
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
