#include "acquire/qb/replayquickbooks.h"

#include "acquire/qb/qbxmlrequests.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include <algorithm>

namespace wagetrove {
namespace {

/// Reports the version a replay claims when its document has no host answer: the newest one supported.
const QByteArray kSupportedHost =
    "<?xml version=\"1.0\" ?>\r\n<QBXML>\r\n<QBXMLMsgsRs>\r\n<HostQueryRs requestID=\"0\" statusCode=\"0\" "
    "statusSeverity=\"Info\" statusMessage=\"Status OK\"><HostRet><ProductName>Replayed QuickBooks</ProductName>"
    "<MajorVersion>35</MajorVersion><MinorVersion>0</MinorVersion></HostRet></HostQueryRs>\r\n</QBXMLMsgsRs>\r\n"
    "</QBXML>\r\n";

/// Whether the document's first response is the host's, read only as far as that first response. The reader is
/// fed in slices: it decodes all it is given at once, and an answer can be a hundred megabytes.
bool startsWithHostResponse(QIODevice& document)
{
    constexpr qint64 kSlice = 64 * 1024;
    QXmlStreamReader xml;
    int depth = 0;
    for (;;) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::Invalid) {
            if (xml.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
                return false;
            }
            const QByteArray slice = document.read(kSlice);
            if (slice.isEmpty()) {
                return false;
            }
            xml.addData(slice);
        } else if (token == QXmlStreamReader::StartElement && ++depth == 3) {
            return xml.name() == QLatin1String("HostQueryRs");
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
}

/// The text range of the document's HostQueryRs element, if it has one, found by the reader so that comments,
/// CDATA and quoting cannot mislead it.
std::optional<std::pair<qint64, qint64>> hostResponseRange(const QString& document)
{
    QXmlStreamReader xml(document);
    qint64 tokenStart = 0;
    qint64 elementStart = -1;
    int depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 3 && xml.name() == QLatin1String("HostQueryRs")) {
                elementStart = tokenStart;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == 3 && elementStart >= 0) {
                return std::make_pair(elementStart, xml.characterOffset());
            }
            --depth;
        }
        tokenStart = xml.characterOffset();
    }
    return std::nullopt;
}

} // namespace

ReplayQuickBooks::ReplayQuickBooks(QString path) : m_path(std::move(path)) {}

void ReplayQuickBooks::openFile(QFile& file) const
{
    if (!file.exists()) {
        throw QbError(QStringLiteral("The QuickBooks answer file %1 to replay does not exist.")
                          .arg(QDir::toNativeSeparators(m_path)));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw QbError(QStringLiteral("The QuickBooks answer file %1 to replay could not be read: %2")
                          .arg(QDir::toNativeSeparators(m_path), file.errorString()));
    }
}

void ReplayQuickBooks::openConnection(const QString&, const QString&)
{
    QFile file(m_path);
    openFile(file);
    m_dataAnswer.clear();
    m_dataInFile = false;
    if (startsWithHostResponse(file) && file.seek(0)) {
        const QByteArray bytes = file.readAll();
        const QString document = QString::fromUtf8(bytes);
        if (const auto range = hostResponseRange(document)) {
            const QString host = document.mid(range->first, range->second - range->first);
            m_hostAnswer = QByteArray("<?xml version=\"1.0\" ?>\r\n<QBXML>\r\n<QBXMLMsgsRs>\r\n") + host.toUtf8() +
                           QByteArray("\r\n</QBXMLMsgsRs>\r\n</QBXML>\r\n");
            m_dataAnswer = (document.left(range->first) + document.mid(range->second)).toUtf8();
        } else {
            m_hostAnswer = kSupportedHost;
            m_dataAnswer = bytes;
        }
    } else {
        // The whole document answers the data request; it is read from the file when asked for.
        m_hostAnswer = kSupportedHost;
        m_dataInFile = true;
    }
    m_open = true;
}

void ReplayQuickBooks::beginSession()
{
    if (!m_open) {
        throw QbError(QStringLiteral("No connection to the replayed QuickBooks was opened."));
    }
}

QByteArray ReplayQuickBooks::processRequest(const QByteArray& request)
{
    if (!m_open) {
        throw QbError(QStringLiteral("No connection to the replayed QuickBooks was opened."));
    }
    if (isHostQuery(request)) {
        return m_hostAnswer;
    }
    if (!m_dataInFile) {
        return m_dataAnswer;
    }
    QFile file(m_path);
    openFile(file);
    return file.readAll();
}

std::unique_ptr<QIODevice> ReplayQuickBooks::processRequestForReading(const QByteArray& request)
{
    if (!m_open || isHostQuery(request) || !m_dataInFile) {
        return QbTransport::processRequestForReading(request);
    }
    auto file = std::make_unique<QFile>(m_path);
    openFile(*file);
    return file;
}

void ReplayQuickBooks::endSession() {}

void ReplayQuickBooks::closeConnection()
{
    m_open = false;
}

} // namespace wagetrove
