#pragma once

#include "acquire/qb/qbtransport.h"

namespace wagetrove {

/// A QuickBooks that answers from a saved response document, such as the support file QBData.xml of an earlier
/// run: the host query with the document's HostQueryRs (or, without one, as a host whose version is supported),
/// and the data request set with the document's other responses, unchanged.
class ReplayQuickBooks : public QbTransport
{
public:
    explicit ReplayQuickBooks(QString path);

    /// Reads the file; throws QbError when it is missing or unreadable.
    void openConnection(const QString& applicationId, const QString& applicationName) override;
    void beginSession() override;
    QByteArray processRequest(const QByteArray& request) override;
    void endSession() override;
    void closeConnection() override;

private:
    QString m_path;
    QByteArray m_hostAnswer;
    QByteArray m_dataAnswer;
    bool m_open = false;
};

} // namespace wagetrove
