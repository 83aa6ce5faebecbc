#pragma once

#include "acquire/qb/qbtransport.h"

#include <QFile>

namespace wagetrove {

/// A QuickBooks that answers from a saved response document, such as the support file QBData.xml of an earlier
/// run: the host query with the document's HostQueryRs (or, without one, as a host whose version is supported),
/// and the data request set with the document's other responses, unchanged.
class ReplayQuickBooks : public QbTransport
{
public:
    explicit ReplayQuickBooks(QString path);

    /// Reads the file as far as its first response, all of it only when that is the host's; throws QbError when
    /// it is missing or unreadable.
    void openConnection(const QString& applicationId, const QString& applicationName) override;
    void beginSession() override;
    QByteArray processRequest(const QByteArray& request) override;
    /// The data answer of a document without a host answer is the file itself, read from disk as it is parsed.
    std::unique_ptr<QIODevice> processRequestForReading(const QByteArray& request) override;
    void endSession() override;
    void closeConnection() override;

private:
    /// Opens the file for reading; throws QbError saying why it cannot be.
    void openFile(QFile& file) const;

    QString m_path;
    QByteArray m_hostAnswer;
    QByteArray m_dataAnswer; ///< when m_dataInFile is false
    bool m_dataInFile = false;
    bool m_open = false;
};

} // namespace wagetrove
