#include "acquire/qbwc/webconnectorquickbooks.h"

#include "acquire/qb/qbxmlrequests.h"
#include "acquire/qb/qbxmlresponses.h"
#include "acquire/qbwc/soapcall.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QScopeGuard>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpSocket>
#include <QTimer>
#include <QXmlStreamWriter>

namespace wagetrove {
namespace {

/// How long closeConnection waits for the Web Connector's last call.
constexpr int kCloseWaitMs = 5000;
/// How long the service waits for its last answers to be written.
constexpr int kFlushWaitMs = 1000;

/// A host answer of its own, made from the host response the Web Connector sent unasked, so that it answers
/// exactly the host query.
std::optional<QByteArray> hostAnswerFrom(const QByteArray& hcpResponse)
{
    if (hcpResponse.trimmed().isEmpty()) {
        return std::nullopt;
    }
    QList<QbResponse> responses;
    try {
        responses = parseResponseDocument(hcpResponse);
    } catch (const QbError&) {
        return std::nullopt;
    }
    for (const QbResponse& response : responses) {
        if (response.element == QLatin1String("HostQueryRs") && response.status.code == 0 && response.host) {
            QByteArray document;
            QXmlStreamWriter xml(&document);
            xml.writeStartDocument();
            xml.writeStartElement(QStringLiteral("QBXML"));
            xml.writeStartElement(QStringLiteral("QBXMLMsgsRs"));
            xml.writeStartElement(QStringLiteral("HostQueryRs"));
            xml.writeAttribute(QStringLiteral("statusCode"), QStringLiteral("0"));
            xml.writeAttribute(QStringLiteral("statusSeverity"), response.status.severity);
            xml.writeAttribute(QStringLiteral("statusMessage"), response.status.message);
            xml.writeStartElement(QStringLiteral("HostRet"));
            xml.writeTextElement(QStringLiteral("ProductName"), response.host->productName);
            xml.writeTextElement(QStringLiteral("MajorVersion"), response.host->majorVersion);
            xml.writeTextElement(QStringLiteral("MinorVersion"), response.host->minorVersion);
            xml.writeEndDocument();
            return document;
        }
    }
    return std::nullopt;
}

QString readFile(const QString& path, QByteArray& contents)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return file.errorString();
    }
    contents = file.readAll();
    return QString();
}

} // namespace

WebConnectorQuickBooks::WebConnectorQuickBooks(const QString& address, WebConnectorAccess access)
    : m_access(std::move(access)), m_service(m_access.userName, m_access.passwordRecord)
{
    const qsizetype colon = address.lastIndexOf(QLatin1Char(':'));
    const QString host = colon < 0 ? QStringLiteral("127.0.0.1") : address.left(colon);
    bool portOk = false;
    const uint port = address.mid(colon + 1).toUInt(&portOk);
    m_address = host == QLatin1String("localhost") ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(host);
    if (!portOk || port == 0 || port > 65535 || m_address.isNull()) {
        throw QbError(QStringLiteral("\"webconnector:%1\" does not name an address to serve the Web Connector at: "
                                     "use webconnector:PORT, or webconnector:HOST:PORT with this machine's address.")
                          .arg(address));
    }
    m_port = quint16(port);
    m_https = !m_address.isLoopback();
}

WebConnectorQuickBooks::~WebConnectorQuickBooks()
{
    stopService();
}

QString WebConnectorQuickBooks::serviceUrl() const
{
    const QString host = m_address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(m_address.toString())
                             : m_address.toString();
    return QStringLiteral("%1://%2:%3/qbwc")
        .arg(m_https ? QStringLiteral("https") : QStringLiteral("http"), host)
        .arg(m_port);
}

void WebConnectorQuickBooks::openConnection(const QString&, const QString&)
{
    if (m_access.userName.isEmpty() || m_access.passwordRecord.isEmpty()) {
        throw QbError(QStringLiteral("No Web Connector user name and password are set: set them in the options "
                                     "(wagetrove-cli options --qbwc-user NAME --qbwc-password) and write the "
                                     ".qwc file for the Web Connector."));
    }
    auto server = std::make_unique<QHttpServer>();
    server->route(QStringLiteral("/qbwc"), [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
        m_lastCallMs = QDateTime::currentMSecsSinceEpoch();
        if (request.method() != QHttpServerRequest::Method::Post) {
            responder.write(QByteArray("Wagetrove serves the QuickBooks Web Connector here.\n"), "text/plain",
                            QHttpServerResponder::StatusCode::Ok);
            return;
        }
        if (request.body().size() > m_access.maxBodyBytes) {
            responder.write(QByteArray("The call is larger than Wagetrove reads.\n"), "text/plain",
                            QHttpServerResponder::StatusCode::PayloadTooLarge);
            return;
        }
        answer(request.body(), request.value("SOAPAction"), std::move(responder));
    });
    server->route(QStringLiteral("/"), [] {
        return QStringLiteral("Wagetrove: files state unemployment wage reports from QuickBooks payroll.\n");
    });

    auto* listener = m_https ? new QSslServer(server.get()) : new QTcpServer(server.get());
    if (m_https) {
        QByteArray certificate;
        QByteArray key;
        if (m_access.certificateFile.isEmpty() || m_access.keyFile.isEmpty()) {
            throw QbError(QStringLiteral("The Web Connector is to be served at %1, another address than this "
                                         "machine's: that needs HTTPS, with a certificate and its key named in the "
                                         "options (wagetrove-cli options --qbwc-certificate FILE --qbwc-key FILE).")
                              .arg(m_address.toString()));
        }
        if (const QString error = readFile(m_access.certificateFile, certificate); !error.isEmpty()) {
            throw QbError(
                QStringLiteral("The certificate %1 could not be read: %2").arg(m_access.certificateFile, error));
        }
        if (const QString error = readFile(m_access.keyFile, key); !error.isEmpty()) {
            throw QbError(QStringLiteral("The key %1 could not be read: %2").arg(m_access.keyFile, error));
        }
        const QList<QSslCertificate> chain = QSslCertificate::fromData(certificate, QSsl::Pem);
        const QSslKey privateKey(key, QSsl::Rsa, QSsl::Pem);
        const QSslKey ecKey = privateKey.isNull() ? QSslKey(key, QSsl::Ec, QSsl::Pem) : QSslKey();
        if (chain.isEmpty() || (privateKey.isNull() && ecKey.isNull())) {
            throw QbError(QStringLiteral("The certificate %1 or its key %2 is not in PEM form, or the key is locked "
                                         "with a password.")
                              .arg(m_access.certificateFile, m_access.keyFile));
        }
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificateChain(chain);
        configuration.setPrivateKey(privateKey.isNull() ? ecKey : privateKey);
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        static_cast<QSslServer*>(listener)->setSslConfiguration(configuration);
    }
    if (!listener->listen(m_address, m_port)) {
        throw QbError(QStringLiteral("Wagetrove could not serve the Web Connector at %1: %2")
                          .arg(serviceUrl(), listener->errorString()));
    }
    server->bind(listener);
    m_server = std::move(server);
    m_lastCallMs = QDateTime::currentMSecsSinceEpoch();
    if (m_access.showWaiting) {
        m_access.showWaiting(
            QStringLiteral("Waiting for QuickBooks Web Connector — in the Web Connector, tick Wagetrove and press "
                           "Update Selected.\nServing %1")
                .arg(serviceUrl()));
    }
    m_shown = true;
}

void WebConnectorQuickBooks::answer(const QByteArray& body, const QByteArray& soapAction,
                                    QHttpServerResponder&& responder)
{
    const std::optional<WebConnectorService::Reply> result = m_service.handle(body, soapAction);
    if (result) {
        reply(responder, *result);
    } else {
        m_waitingSend = std::make_unique<QHttpServerResponder>(std::move(responder));
    }
    if (m_loop != nullptr) {
        m_loop->quit();
    }
}

void WebConnectorQuickBooks::reply(QHttpServerResponder& responder, const WebConnectorService::Reply& reply)
{
    responder.write(reply.body, "text/xml; charset=utf-8",
                    reply.httpStatus == 200 ? QHttpServerResponder::StatusCode::Ok
                                            : QHttpServerResponder::StatusCode::InternalServerError);
}

void WebConnectorQuickBooks::runEventsUntil(const std::function<bool()>& done)
{
    QEventLoop loop;
    // Each call of the Web Connector ends the loop at once; the tick looks at Cancel and the clock.
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start(100);
    m_loop = &loop;
    const auto leave = qScopeGuard([this] { m_loop = nullptr; });
    while (!done()) {
        loop.exec();
    }
}

void WebConnectorQuickBooks::waitFor(const std::function<bool()>& done)
{
    runEventsUntil([&] {
        if (!m_service.failure().isEmpty()) {
            throw QbError(m_service.failure());
        }
        if (done()) {
            return true;
        }
        if (m_access.waitCancelled && m_access.waitCancelled()) {
            throw QbError(QStringLiteral("The wait for the QuickBooks Web Connector was cancelled."));
        }
        if (QDateTime::currentMSecsSinceEpoch() - m_lastCallMs > qint64(m_access.waitSeconds) * 1000) {
            throw QbError(QStringLiteral("The QuickBooks Web Connector did not call within %1 seconds.")
                              .arg(m_access.waitSeconds));
        }
        return false;
    });
}

void WebConnectorQuickBooks::beginSession()
{
    waitFor([this] { return m_service.askedForRequest(); });
}

QByteArray WebConnectorQuickBooks::processRequest(const QByteArray& request)
{
    const bool host = isHostQuery(request);
    if (host) {
        if (std::optional<QByteArray> answer = hostAnswerFrom(m_service.hostCompanyPreferences())) {
            return *answer;
        }
    }
    // The host query leaves more to come; the data request set is the run's last.
    if (const auto waiting = m_service.offerRequest(request, !host); waiting && m_waitingSend) {
        reply(*m_waitingSend, *waiting);
        m_waitingSend.reset();
    }
    std::optional<QByteArray> response;
    waitFor([&] {
        response = m_service.takeResponse();
        return response.has_value();
    });
    return *response;
}

void WebConnectorQuickBooks::endSession() {}

void WebConnectorQuickBooks::closeConnection()
{
    answerWaitingSendWithNothing();
    if (m_server && m_service.expectsClose()) {
        const QDeadlineTimer deadline(kCloseWaitMs);
        runEventsUntil([&] { return m_service.closed() || deadline.hasExpired(); });
    }
    stopService();
}

void WebConnectorQuickBooks::answerWaitingSendWithNothing()
{
    if (m_waitingSend) {
        // The Web Connector is told that nothing is left, rather than left hanging.
        reply(*m_waitingSend, {200, soapTextResult(QStringLiteral("sendRequestXML"), QString())});
        m_waitingSend.reset();
    }
}

void WebConnectorQuickBooks::stopService()
{
    m_loop = nullptr;
    answerWaitingSendWithNothing();
    if (m_server) {
        // The last answers are still on their way: they are written out before the sockets go.
        for (QTcpServer* listener : m_server->servers()) {
            for (QTcpSocket* socket : listener->findChildren<QTcpSocket*>()) {
                socket->flush();
                if (socket->bytesToWrite() > 0) {
                    socket->waitForBytesWritten(kFlushWaitMs);
                }
            }
        }
    }
    m_server.reset();
    if (m_shown && m_access.hideWaiting) {
        m_access.hideWaiting();
    }
    m_shown = false;
}

} // namespace wagetrove
