#pragma once

#include "acquire/qb/qbtransport.h"
#include "acquire/qbwc/webconnectorservice.h"

#include <QHostAddress>

#include <functional>
#include <memory>
#include <optional>

class QEventLoop;
class QHttpServer;
class QHttpServerResponder;
class QTcpServer;

namespace wagetrove {

/// The largest call body the service reads.
inline constexpr qint64 kWebConnectorMaxBody = qint64(256) << 20;

/// What a run through the Web Connector needs besides its address: the account the .qwc file names, how long to
/// wait, the certificate for another address than this machine's, and how the wait is shown.
struct WebConnectorAccess
{
    QString userName;
    QString passwordRecord;  ///< as passwordRecord() makes it
    int waitSeconds = 600;   ///< how long to wait for each call of the Web Connector
    QString certificateFile; ///< PEM certificate and key, for HTTPS
    QString keyFile;
    /// Shows that the run waits, with the text to show; called once the service listens.
    std::function<void(const QString&)> showWaiting;
    /// Whether the user has cancelled the wait.
    std::function<bool()> waitCancelled;
    std::function<void()> hideWaiting;
    qint64 maxBodyBytes = kWebConnectorMaxBody;
};

/// A QuickBooks reached through its Web Connector: for one run the program serves the Web Connector's SOAP
/// service at /qbwc and hands it each request document in turn, waiting for its answer. Only this machine's
/// address is served over plain HTTP; any other only over HTTPS.
class WebConnectorQuickBooks : public QbTransport
{
public:
    /// `address` "[HOST:]PORT" as the connection text gives it after "webconnector:". Throws QbError for an
    /// address that cannot be read.
    WebConnectorQuickBooks(const QString& address, WebConnectorAccess access);
    ~WebConnectorQuickBooks() override;

    /// Starts the service; throws QbError when it cannot listen or HTTPS is needed and cannot be set up.
    void openConnection(const QString& applicationId, const QString& applicationName) override;
    /// Waits for the Web Connector to sign in and ask for its first request.
    void beginSession() override;
    QByteArray processRequest(const QByteArray& request) override;
    void endSession() override;
    /// Waits a little for the Web Connector to close its side, then stops the service.
    void closeConnection() override;

    /// The address the Web Connector is to call, e.g. "http://127.0.0.1:8089/qbwc".
    QString serviceUrl() const;

private:
    void answer(const QByteArray& body, const QByteArray& soapAction, QHttpServerResponder&& responder);
    void reply(QHttpServerResponder& responder, const WebConnectorService::Reply& reply);
    /// Runs the events (the service's calls among them) until `done`.
    void runEventsUntil(const std::function<bool()>& done);
    /// Runs the events until `done`; throws QbError on the Web Connector's failure, a cancel or the time-out.
    void waitFor(const std::function<bool()>& done);
    void answerWaitingSendWithNothing();
    void stopService();

    QHostAddress m_address;
    quint16 m_port = 0;
    bool m_https = false;
    WebConnectorAccess m_access;
    WebConnectorService m_service;
    std::unique_ptr<QHttpServer> m_server;
    std::unique_ptr<QHttpServerResponder> m_waitingSend; ///< a sendRequestXML waiting for the run's request
    QEventLoop* m_loop = nullptr;
    qint64 m_lastCallMs = 0;
    bool m_shown = false;
};

} // namespace wagetrove
