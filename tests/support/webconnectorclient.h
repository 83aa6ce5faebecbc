#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QStringList>
#include <QUrl>

namespace wagetrove {

class QbTransport;

/// Plays the QuickBooks Web Connector against the program's service: the calls in the Web Connector's order,
/// with its envelopes and headers, each sendRequestXML answered by the QuickBooks given.
class WebConnectorClient : public QObject
{
public:
    struct Script
    {
        QString userName;
        QString password;
        bool sendHostCompanyPreferences = true; ///< the first sendRequestXML carries QuickBooks's host answer
        QString connectionErrorMessage;         ///< when set, the company file "cannot be opened"
        QString hresultAfterFirstRequest;       ///< when set, QuickBooks fails the first request with it
    };

    WebConnectorClient(QUrl url, Script script, QbTransport& quickBooks);

    /// Starts the calls; they go on in the event loop until the Web Connector would stop.
    void start();

    /// Each call made, "method=result" (results of a list joined by ","), or "method=fault: text".
    const QStringList& calls() const { return m_calls; }
    bool finished() const { return m_finished; }

    /// Posts one call and waits for its answer: the HTTP status and the body. Any certificate is taken.
    static std::pair<int, QByteArray> post(const QUrl& url, const QByteArray& body, const QByteArray& soapAction);
    static QByteArray envelope(const QString& method, const QList<std::pair<QString, QString>>& arguments);

private:
    void call(const QString& method, const QList<std::pair<QString, QString>>& arguments);
    /// Makes the call the Web Connector makes after `method` answered `result`.
    void next(const QString& method, const QStringList& result);
    void sendRequest(const QString& hcp);

    QUrl m_url;
    Script m_script;
    QbTransport& m_quickBooks;
    QNetworkAccessManager m_network;
    QString m_ticket;
    QStringList m_calls;
    bool m_finished = false;
};

} // namespace wagetrove
