#include "acquire/qbwc/qwcfile.h"

#include "app/session.h"
#include "app/settings.h"
#include "common/dialogs.h"

#include <QDir>
#include <QHostAddress>
#include <QSaveFile>
#include <QUrl>
#include <QUuid>
#include <QXmlStreamWriter>

namespace wagetrove {

bool ensureQwcIdentifiers(Session& session)
{
    const std::pair<QString*, const QString*> identifiers[] = {
        {&session.QBWCOwnerID, &settingkeys::kQBWCOwnerID},
        {&session.QBWCFileID, &settingkeys::kQBWCFileID},
    };
    for (const auto& [value, key] : identifiers) {
        if (value->isEmpty()) {
            const QString made = QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
            if (!WriteSetting(session, *key, made)) {
                return false;
            }
            *value = made;
        }
    }
    return true;
}

QString appUrlProblem(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return QStringLiteral("\"%1\" is not the address of a web service: use https://HOST:PORT/qbwc, or "
                              "http://localhost:PORT/qbwc on the QuickBooks machine itself.")
            .arg(text);
    }
    const QHostAddress address(url.host());
    const bool local = url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
                       (!address.isNull() && address.isLoopback());
    if (scheme == QLatin1String("http") && !local) {
        return QStringLiteral("The Web Connector calls another machine only over HTTPS: use https://%1…")
            .arg(url.host());
    }
    return QString();
}

QString webConnectorUrlFor(const QString& connection)
{
    const QString prefix = QStringLiteral("webconnector:");
    if (!connection.startsWith(prefix)) {
        return QString();
    }
    const QString address = connection.mid(prefix.size()).trimmed();
    const qsizetype colon = address.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) {
        return QStringLiteral("http://localhost:%1/qbwc").arg(address);
    }
    const QString host = address.left(colon);
    const QHostAddress parsed(host);
    const bool local = host == QLatin1String("localhost") || (!parsed.isNull() && parsed.isLoopback());
    return QStringLiteral("%1://%2:%3/qbwc")
        .arg(local ? QStringLiteral("http") : QStringLiteral("https"), local ? QStringLiteral("localhost") : host,
             address.mid(colon + 1));
}

QString writeQwcFile(Session& session, const QString& appUrl, const QString& userName, const QString& path)
{
    if (!ensureQwcIdentifiers(session)) {
        return QStringLiteral("The settings file %1 could not be written.")
            .arg(QDir::toNativeSeparators(session.SettingsFile));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(qwcDocument(session, appUrl, userName)) < 0 || !file.commit()) {
        return QStringLiteral("The Web Connector file %1 could not be written: %2")
            .arg(QDir::toNativeSeparators(path), file.errorString());
    }
    return QString();
}

void WriteWebConnectorFile(Session& session, Dialogs& dialogs, const QString& connection)
{
    const QString url = webConnectorUrlFor(connection.trimmed());
    if (url.isEmpty()) {
        dialogs.message(QStringLiteral("Put webconnector:PORT in the QuickBooks connection box first (or "
                                       "webconnector:HOST:PORT to be reached from another machine)."),
                        kApplicationTitle, MessageIcon::Exclamation);
        return;
    }
    if (session.QBWCUserName.isEmpty()) {
        dialogs.message(QStringLiteral("Set the Web Connector's user name and password first: wagetrove-cli options "
                                       "--qbwc-user NAME --qbwc-password."),
                        kApplicationTitle, MessageIcon::Exclamation);
        return;
    }
    const std::optional<QString> path =
        dialogs.saveFile({QStringLiteral("Web Connector File"), QStringLiteral("Wagetrove.qwc"),
                          QStringLiteral("Web Connector files (*.qwc)"), true, session.DocumentsFolder});
    if (!path) {
        return;
    }
    if (const QString failure = writeQwcFile(session, url, session.QBWCUserName, *path); !failure.isEmpty()) {
        dialogs.message(failure, kApplicationTitle, MessageIcon::Exclamation);
        return;
    }
    dialogs.message(QStringLiteral("%1 is written. In the QuickBooks Web Connector, add it with \"Add an "
                                   "application\".")
                        .arg(QDir::toNativeSeparators(*path)),
                    kApplicationTitle);
}

QByteArray qwcDocument(const Session& session, const QString& appUrl, const QString& userName)
{
    const QUrl url(appUrl);
    QByteArray document;
    QXmlStreamWriter xml(&document);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("QBWCXML"));
    xml.writeTextElement(QStringLiteral("AppName"), QStringLiteral("Wagetrove"));
    xml.writeTextElement(QStringLiteral("AppID"), QString());
    xml.writeTextElement(QStringLiteral("AppURL"), appUrl);
    xml.writeTextElement(QStringLiteral("AppDescription"),
                         QStringLiteral("Reads one quarter's payroll for the state unemployment wage report."));
    xml.writeTextElement(QStringLiteral("AppSupport"),
                         url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment).toString() +
                             QLatin1Char('/'));
    xml.writeTextElement(QStringLiteral("UserName"), userName);
    xml.writeTextElement(QStringLiteral("OwnerID"), session.QBWCOwnerID);
    xml.writeTextElement(QStringLiteral("FileID"), session.QBWCFileID);
    xml.writeTextElement(QStringLiteral("QBType"), QStringLiteral("QBFS"));
    xml.writeTextElement(QStringLiteral("Style"), QStringLiteral("Document"));
    xml.writeTextElement(QStringLiteral("IsReadOnly"), QStringLiteral("true"));
    xml.writeEndDocument();
    return document;
}

} // namespace wagetrove
