#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace wagetrove {

/// One Get Payroll Data run's side of the QuickBooks Web Connector's conversation, without the network: each
/// SOAP call in, its answer out. The run offers its request documents one at a time; the Web Connector takes
/// each with sendRequestXML, has QuickBooks answer it and hands the answer back with receiveResponseXML.
class WebConnectorService
{
public:
    struct Reply
    {
        int httpStatus = 200;
        QByteArray body;
    };

    /// `passwordRecord` as passwordRecord() makes it; an empty user name or record lets no one in.
    WebConnectorService(QString userName, QString passwordRecord);

    /// Answers one call. `soapAction` is the SOAPAction header, empty when there was none. A sendRequestXML
    /// that finds no request offered yet is answered later, by offerRequest(): nothing is returned for it.
    std::optional<Reply> handle(const QByteArray& body, const QByteArray& soapAction);

    /// Offers the run's next request document; `last` when its answer completes the run. Returns the answer
    /// to a sendRequestXML that was waiting for a request, if one was.
    std::optional<Reply> offerRequest(const QByteArray& document, bool last);

    bool authenticated() const { return !m_ticket.isEmpty(); }
    /// Whether the Web Connector has asked for a request since it authenticated.
    bool askedForRequest() const { return m_asked; }
    /// The first sendRequestXML's strHCPResponse: QuickBooks's answer to a host query, among others, sent
    /// without being asked. Empty when it came without one.
    const QByteArray& hostCompanyPreferences() const { return m_hcpResponse; }
    /// The answer to the request offered, once it came; taken once.
    std::optional<QByteArray> takeResponse();
    /// Why the run must stop (the Web Connector's connectionError, or QuickBooks's error); empty while it may
    /// go on.
    const QString& failure() const { return m_failure; }
    /// Whether the Web Connector has closed the connection.
    bool closed() const { return m_closed; }
    /// Whether the Web Connector is still to call closeConnection: it signed in, and did not report that it
    /// could not reach QuickBooks.
    bool expectsClose() const { return authenticated() && !m_closed && !m_connectionFailed; }

private:
    Reply requestReply();
    std::optional<Reply> call(const QString& method, const QHash<QString, QByteArray>& arguments);

    QString m_userName;
    QString m_passwordRecord;
    QString m_ticket;
    std::optional<QByteArray> m_offered;
    bool m_offeredLast = false;
    bool m_handedOut = false;   ///< a request is with QuickBooks
    bool m_sendWaiting = false; ///< a sendRequestXML waits for a request
    bool m_asked = false;
    bool m_done = false; ///< the last answer came: nothing is left to ask
    std::optional<QByteArray> m_response;
    QByteArray m_hcpResponse;
    QString m_failure;
    QString m_lastError;
    bool m_closed = false;
    bool m_connectionFailed = false;
};

} // namespace wagetrove
