#include "acquire/qbwc/qwcfile.h"

#include "app/session.h"
#include "app/settings.h"

#include <QHostAddress>
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
