#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include <memory>
#include <stdexcept>

namespace wagetrove {

/// A failure to reach QuickBooks or to talk to it: not reachable, access refused, a replay file missing. The
/// message is written for the user and names the cause.
class QbError : public std::runtime_error
{
public:
    explicit QbError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

/// The one seam between the program and a QuickBooks: a connection, a session on the company file open in
/// QuickBooks, and qbXML request documents answered by response documents. Every call throws QbError on failure.
class QbTransport
{
public:
    virtual ~QbTransport() = default;

    virtual void openConnection(const QString& applicationId, const QString& applicationName) = 0;
    /// Begins a session on the company file open in QuickBooks.
    virtual void beginSession() = 0;
    /// Sends one qbXML request document (UTF-8) and returns the response document.
    virtual QByteArray processRequest(const QByteArray& request) = 0;
    /// processRequest with the response document given to be read, open, from the start: a transport whose answer
    /// lies in a file hands over the file, so that a hundred-megabyte answer is never held whole. By default the
    /// document processRequest returns.
    virtual std::unique_ptr<QIODevice> processRequestForReading(const QByteArray& request)
    {
        auto answer = std::make_unique<QBuffer>();
        answer->setData(processRequest(request));
        answer->open(QIODevice::ReadOnly);
        return answer;
    }
    virtual void endSession() = 0;
    virtual void closeConnection() = 0;
};

} // namespace wagetrove
