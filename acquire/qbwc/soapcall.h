#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace wagetrove {

/// The Web Connector's namespace, for its methods and its SOAPAction header.
inline const QString kWebConnectorNamespace = QStringLiteral("http://developer.intuit.com/");

/// One call of the Web Connector: the method and its arguments as sent (UTF-8 texts).
struct SoapCall
{
    QString method;
    QHash<QString, QByteArray> arguments;

    QByteArray argument(const QString& name) const { return arguments.value(name); }
};

/// Reads a SOAP 1.1 request envelope whose body holds one method element in the Web Connector's namespace,
/// each argument a child element holding text. A document type is refused, so no entity is ever declared.
/// Throws QbError naming what is wrong.
SoapCall readSoapCall(const QByteArray& body);

/// The response envelope to `method` whose result is one text.
QByteArray soapTextResult(const QString& method, const QString& result);
/// The response envelope to `method` whose result is a list of texts (authenticate's ArrayOfString).
QByteArray soapTextsResult(const QString& method, const QList<QString>& results);
/// The response envelope to `method` whose result is a whole number.
QByteArray soapNumberResult(const QString& method, int result);
/// A SOAP fault: `client` when the call itself was wrong, otherwise the service's.
QByteArray soapFault(const QString& reason, bool client = true);

} // namespace wagetrove
