#include "acquire/qb/qbconversation.h"

#include "acquire/qb/qbxmlrequests.h"
#include "acquire/qb/qbxmlresponses.h"
#include "acquire/qb/replayquickbooks.h"
#include "acquire/qb/simulatedquickbooks.h"

#include <QFileInfo>

namespace wagetrove {

std::unique_ptr<QbTransport> openQuickBooksTransport(const QString& connection, const WebConnectorAccess& access)
{
    const qsizetype colon = connection.indexOf(QLatin1Char(':'));
    const QString kind = colon < 0 ? QString() : connection.left(colon);
    const QString file = colon < 0 ? QString() : connection.mid(colon + 1);
    if (!file.isEmpty() && kind == QLatin1String("replay")) {
        return std::make_unique<ReplayQuickBooks>(QFileInfo(file).absoluteFilePath());
    }
    if (!file.isEmpty() && kind == QLatin1String("simulated")) {
        return SimulatedQuickBooks::fromFixture(QFileInfo(file).absoluteFilePath());
    }
    if (!file.isEmpty() && kind == QLatin1String("webconnector")) {
        return std::make_unique<WebConnectorQuickBooks>(file, access);
    }
    throw QbError(QStringLiteral("\"%1\" does not say how to reach QuickBooks: use replay:FILE for a saved "
                                 "QuickBooks answer, simulated:FILE for a company described in a JSON file, or "
                                 "webconnector:PORT for the QuickBooks Web Connector.")
                      .arg(connection));
}

QString quickBooksConnectionFor(const QString& path)
{
    const bool company = path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive);
    return (company ? QStringLiteral("simulated:") : QStringLiteral("replay:")) + path;
}

QbConversation::QbConversation(std::unique_ptr<QbTransport> transport) : m_transport(std::move(transport)) {}

QbConversation::~QbConversation()
{
    close();
}

void QbConversation::open()
{
    m_transport->openConnection(kApplicationName, kApplicationName);
    m_connected = true;
    m_transport->beginSession();
    m_inSession = true;
}

QString QbConversation::hostMajorVersion()
{
    const QList<QbResponse> responses = parseResponseDocument(send(hostQueryDocument()));
    if (const auto mismatch = responseMismatch({{QbRequestKind::Host, {}, {}, {}}}, responses)) {
        throw QbError(*mismatch);
    }
    const QbResponse& host = responses.first();
    if (host.status.code != 0 || !host.host) {
        throw QbError(QStringLiteral("QuickBooks did not say which version it is: %1").arg(host.status.message));
    }
    return host.host->majorVersion.trimmed();
}

QByteArray QbConversation::send(const QByteArray& request)
{
    return m_transport->processRequest(request);
}

std::unique_ptr<QIODevice> QbConversation::sendForReading(const QByteArray& request)
{
    return m_transport->processRequestForReading(request);
}

void QbConversation::close()
{
    try {
        if (m_inSession) {
            m_inSession = false;
            m_transport->endSession();
        }
    } catch (const QbError&) {
    }
    try {
        if (m_connected) {
            m_connected = false;
            m_transport->closeConnection();
        }
    } catch (const QbError&) {
    }
}

} // namespace wagetrove
