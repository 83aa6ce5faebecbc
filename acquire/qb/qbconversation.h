#pragma once

#include "acquire/qb/qbtransport.h"
#include "acquire/qbwc/webconnectorquickbooks.h"

#include <memory>

namespace wagetrove {

/// Makes the QuickBooks a connection text names: "replay:FILE" answers from a saved response document,
/// "simulated:FILE" computes the answers from a company described in a JSON file, "webconnector:[HOST:]PORT"
/// serves the QuickBooks Web Connector with `access`. Throws QbError for any other text and for a file or an
/// address that cannot be used.
std::unique_ptr<QbTransport> openQuickBooksTransport(const QString& connection, const WebConnectorAccess& access = {});

/// The connection text for a file: a JSON file describes a company to simulate, any other file is a saved
/// QuickBooks answer to replay.
QString quickBooksConnectionFor(const QString& path);

/// One run's conversation with QuickBooks: the connection and the session, opened on open() and always closed
/// again, in order, when the conversation ends, whatever stopped the run.
class QbConversation
{
public:
    inline static const QString kApplicationName = QStringLiteral("Tarrow Software");

    explicit QbConversation(std::unique_ptr<QbTransport> transport);
    ~QbConversation();
    QbConversation(const QbConversation&) = delete;
    QbConversation& operator=(const QbConversation&) = delete;

    /// Opens the connection as "Tarrow Software" and begins the session. Throws QbError.
    void open();
    /// The host's major version, from the host query. Throws QbError when QuickBooks does not say it.
    QString hostMajorVersion();
    /// Sends one request document and returns the answer. Throws QbError.
    QByteArray send(const QByteArray& request);
    /// send with the answer given to be read (QbTransport::processRequestForReading). Throws QbError.
    std::unique_ptr<QIODevice> sendForReading(const QByteArray& request);
    /// Ends the session and closes the connection, if they were opened. Failures here change nothing for the
    /// run and are not reported.
    void close();

private:
    std::unique_ptr<QbTransport> m_transport;
    bool m_connected = false;
    bool m_inSession = false;
};

} // namespace wagetrove
