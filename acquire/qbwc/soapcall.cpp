#include "acquire/qbwc/soapcall.h"

#include "acquire/qb/qbtransport.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <functional>

namespace wagetrove {
namespace {

const QString kSoapNamespace = QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/");

[[noreturn]] void refuse(const QString& reason)
{
    throw QbError(QStringLiteral("The Web Connector's call could not be read: %1.").arg(reason));
}

QByteArray envelope(const std::function<void(QXmlStreamWriter&)>& writeBody)
{
    QByteArray document;
    QXmlStreamWriter xml(&document);
    xml.writeStartDocument();
    xml.writeNamespace(kSoapNamespace, QStringLiteral("soap"));
    xml.writeStartElement(kSoapNamespace, QStringLiteral("Envelope"));
    xml.writeStartElement(kSoapNamespace, QStringLiteral("Body"));
    writeBody(xml);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return document;
}

QByteArray result(const QString& method, const std::function<void(QXmlStreamWriter&)>& writeValue)
{
    return envelope([&](QXmlStreamWriter& xml) {
        xml.writeStartElement(method + QLatin1String("Response"));
        xml.writeDefaultNamespace(kWebConnectorNamespace);
        xml.writeStartElement(method + QLatin1String("Result"));
        writeValue(xml);
        xml.writeEndElement();
        xml.writeEndElement();
    });
}

} // namespace

SoapCall readSoapCall(const QByteArray& body)
{
    QXmlStreamReader xml(body);
    SoapCall call;
    int depth = 0;
    QString argument;
    QString text;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            refuse(QStringLiteral("it declares a document type, which a Web Connector call never does"));
        case QXmlStreamReader::EntityReference:
            refuse(QStringLiteral("it refers to an entity %1").arg(xml.name().toString()));
        case QXmlStreamReader::StartElement:
            ++depth;
            if (depth == 1 && !(xml.name() == QLatin1String("Envelope") && xml.namespaceUri() == kSoapNamespace)) {
                refuse(QStringLiteral("it is not a SOAP 1.1 envelope"));
            } else if (depth == 2 && xml.name() == QLatin1String("Body") && xml.namespaceUri() == kSoapNamespace) {
                if (!call.method.isEmpty()) {
                    refuse(QStringLiteral("it has two bodies"));
                }
            } else if (depth == 3 && xml.namespaceUri() == kSoapNamespace) {
                refuse(QStringLiteral("it is a SOAP fault or another SOAP element, not a call"));
            } else if (depth == 3) {
                if (!call.method.isEmpty() || xml.namespaceUri() != kWebConnectorNamespace) {
                    refuse(QStringLiteral("its body holds <%1>, not one Web Connector method")
                               .arg(xml.qualifiedName().toString()));
                }
                call.method = xml.name().toString();
            } else if (depth == 4) {
                argument = xml.name().toString();
                text.clear();
            } else if (depth > 4) {
                refuse(QStringLiteral("the argument <%1> holds elements").arg(argument));
            }
            break;
        case QXmlStreamReader::Characters:
            if (depth == 4) {
                text += xml.text();
            }
            break;
        case QXmlStreamReader::EndElement:
            if (depth == 4) {
                call.arguments.insert(argument, text.toUtf8());
            }
            --depth;
            break;
        default:
            break;
        }
    }
    if (xml.hasError()) {
        refuse(xml.errorString());
    }
    if (call.method.isEmpty()) {
        refuse(QStringLiteral("its body holds no method"));
    }
    return call;
}

QByteArray soapTextResult(const QString& method, const QString& value)
{
    return result(method, [&](QXmlStreamWriter& xml) { xml.writeCharacters(value); });
}

QByteArray soapTextsResult(const QString& method, const QList<QString>& values)
{
    return result(method, [&](QXmlStreamWriter& xml) {
        for (const QString& value : values) {
            xml.writeTextElement(QStringLiteral("string"), value);
        }
    });
}

QByteArray soapNumberResult(const QString& method, int value)
{
    return soapTextResult(method, QString::number(value));
}

QByteArray soapFault(const QString& reason, bool client)
{
    return envelope([&](QXmlStreamWriter& xml) {
        xml.writeStartElement(kSoapNamespace, QStringLiteral("Fault"));
        xml.writeTextElement(QStringLiteral("faultcode"),
                             client ? QStringLiteral("soap:Client") : QStringLiteral("soap:Server"));
        xml.writeTextElement(QStringLiteral("faultstring"), reason);
        xml.writeEndElement();
    });
}

} // namespace wagetrove
