#include "acquire/qbwc/webconnectorservice.h"

#include "acquire/qb/qbtransport.h"
#include "acquire/qbwc/soapcall.h"
#include "acquire/qbwc/webconnectorpassword.h"

#include <QUuid>

namespace wagetrove {
namespace {

/// The percentage receiveResponseXML reports while more requests are to come.
constexpr int kMoreToCome = 50;
/// The value that tells the Web Connector the request failed.
constexpr int kRequestFailed = -101;

WebConnectorService::Reply fault(const QString& reason, int status = 500)
{
    return {status, soapFault(reason)};
}

} // namespace

WebConnectorService::WebConnectorService(QString userName, QString passwordRecord)
    : m_userName(std::move(userName)), m_passwordRecord(std::move(passwordRecord))
{}

std::optional<WebConnectorService::Reply> WebConnectorService::handle(const QByteArray& body,
                                                                      const QByteArray& soapAction)
{
    SoapCall call;
    try {
        call = readSoapCall(body);
    } catch (const QbError& error) {
        return fault(error.message());
    }
    QByteArray action = soapAction.trimmed();
    if (action.size() >= 2 && action.startsWith('"') && action.endsWith('"')) {
        action = action.sliced(1, action.size() - 2);
    }
    if (!action.isEmpty() && QString::fromUtf8(action) != kWebConnectorNamespace + call.method) {
        return fault(QStringLiteral("The SOAPAction %1 does not name the method %2.")
                         .arg(QString::fromUtf8(action), call.method));
    }
    return this->call(call.method, call.arguments);
}

std::optional<WebConnectorService::Reply> WebConnectorService::call(const QString& method,
                                                                    const QHash<QString, QByteArray>& arguments)
{
    const auto text = [&](const char* name) { return QString::fromUtf8(arguments.value(QLatin1String(name))); };
    if (method == QLatin1String("serverVersion")) {
        return Reply{
            200,
            soapTextResult(
                method, QStringLiteral("Wagetrove %1.%2").arg(WAGETROVE_VERSION_MAJOR).arg(WAGETROVE_VERSION_MINOR))};
    }
    if (method == QLatin1String("clientVersion")) {
        return Reply{200, soapTextResult(method, QString())};
    }
    if (method == QLatin1String("authenticate")) {
        if (authenticated() || m_closed) {
            return fault(QStringLiteral("Wagetrove already has a Web Connector session for this run."));
        }
        // Both are compared in full, so that the time taken tells nothing about either.
        const bool userOk = equalInConstantTime(text("strUserName").toUtf8(), m_userName.toUtf8());
        const bool passwordOk = passwordMatches(text("strPassword"), m_passwordRecord);
        if (m_userName.isEmpty() || !userOk || !passwordOk) {
            return Reply{200, soapTextsResult(method, {QString(), QStringLiteral("nvu")})};
        }
        m_ticket = QUuid::createUuid().toString(QUuid::WithoutBraces);
        // An empty company file name: the one open in QuickBooks.
        return Reply{200, soapTextsResult(method, {m_ticket, QString()})};
    }
    if (!authenticated() || text("ticket") != m_ticket) {
        return fault(QStringLiteral("The ticket is not this run's: authenticate first."));
    }
    if (m_closed) {
        return fault(QStringLiteral("This run's Web Connector session is closed."));
    }
    if (method == QLatin1String("sendRequestXML")) {
        if (!m_asked) {
            m_hcpResponse = arguments.value(QStringLiteral("strHCPResponse"));
        }
        m_asked = true;
        if (m_done || !m_failure.isEmpty()) {
            return Reply{200, soapTextResult(method, QString())};
        }
        if (m_handedOut || m_sendWaiting) {
            return fault(QStringLiteral("A request is already with QuickBooks."));
        }
        if (!m_offered) {
            m_sendWaiting = true;
            return std::nullopt;
        }
        return requestReply();
    }
    if (method == QLatin1String("receiveResponseXML")) {
        if (!m_handedOut) {
            return fault(QStringLiteral("No request is with QuickBooks."));
        }
        m_handedOut = false;
        const QString hresult = text("hresult").trimmed();
        if (!hresult.isEmpty()) {
            m_lastError = text("message");
            m_failure = QStringLiteral("QuickBooks could not answer the Web Connector: %1 (%2)")
                            .arg(m_lastError.trimmed(), hresult);
            return Reply{200, soapNumberResult(method, kRequestFailed)};
        }
        m_response = arguments.value(QStringLiteral("response"));
        m_done = m_offeredLast;
        return Reply{200, soapNumberResult(method, m_offeredLast ? 100 : kMoreToCome)};
    }
    if (method == QLatin1String("connectionError")) {
        m_connectionFailed = true;
        m_lastError = text("message");
        m_failure = QStringLiteral("The QuickBooks Web Connector could not open the company file: %1 (%2)")
                        .arg(m_lastError.trimmed(), text("hresult").trimmed());
        return Reply{200, soapTextResult(method, QStringLiteral("done"))};
    }
    if (method == QLatin1String("getLastError")) {
        return Reply{200, soapTextResult(method, m_lastError)};
    }
    if (method == QLatin1String("closeConnection")) {
        m_closed = true;
        return Reply{200, soapTextResult(method, m_failure.isEmpty() ? QStringLiteral("Wagetrove has the payroll data.")
                                                                     : m_failure)};
    }
    return fault(QStringLiteral("The Web Connector method %1 is not known.").arg(method));
}

std::optional<WebConnectorService::Reply> WebConnectorService::offerRequest(const QByteArray& document, bool last)
{
    m_offered = document;
    m_offeredLast = last;
    if (!m_sendWaiting) {
        return std::nullopt;
    }
    m_sendWaiting = false;
    return requestReply();
}

WebConnectorService::Reply WebConnectorService::requestReply()
{
    const QByteArray document = *m_offered;
    m_offered.reset();
    m_handedOut = true;
    return {200, soapTextResult(QStringLiteral("sendRequestXML"), QString::fromUtf8(document))};
}

std::optional<QByteArray> WebConnectorService::takeResponse()
{
    std::optional<QByteArray> response = std::move(m_response);
    m_response.reset();
    return response;
}

} // namespace wagetrove
