#include "tests/support/webconnectorclient.h"

#include "acquire/qb/qbtransport.h"
#include "acquire/qb/qbxmlrequests.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace wagetrove {
namespace {

using namespace Qt::StringLiterals;

const QString kSoap = QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/");
const QString kIntuit = QStringLiteral("http://developer.intuit.com/");

QNetworkRequest soapRequest(const QUrl& url, const QByteArray& soapAction)
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("text/xml; charset=utf-8"));
    // The tests' certificate is their own, signed by no authority.
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    request.setSslConfiguration(tls);
    if (!soapAction.isEmpty()) {
        request.setRawHeader("SOAPAction", soapAction);
    }
    return request;
}

/// The texts of a result: one for a text or number, each <string> for a list; "fault: …" for a fault.
QStringList resultTexts(const QByteArray& body, const QString& method)
{
    QXmlStreamReader xml(body);
    const QString resultName = method + QLatin1String("Result");
    QStringList texts;
    QString text;
    bool inResult = false;
    bool seen = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("faultstring")) {
            return {QStringLiteral("fault: ") + xml.readElementText()};
        }
        if (xml.isStartElement() && xml.name() == resultName) {
            inResult = true;
            seen = true;
        } else if (xml.isEndElement() && xml.name() == resultName) {
            inResult = false;
        } else if (inResult && xml.isStartElement() && xml.name() == QLatin1String("string")) {
            texts << xml.readElementText();
        } else if (inResult && xml.isCharacters()) {
            text += xml.text();
        }
    }
    if (!seen) {
        return {QStringLiteral("fault: no result")};
    }
    return texts.isEmpty() ? QStringList{text} : texts;
}

} // namespace

WebConnectorClient::WebConnectorClient(QUrl url, Script script, QbTransport& quickBooks)
    : m_url(std::move(url)), m_script(std::move(script)), m_quickBooks(quickBooks)
{}

QByteArray WebConnectorClient::envelope(const QString& method, const QList<std::pair<QString, QString>>& arguments)
{
    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.writeStartDocument();
    xml.writeNamespace(kSoap, QStringLiteral("soap"));
    xml.writeStartElement(kSoap, QStringLiteral("Envelope"));
    xml.writeStartElement(kSoap, QStringLiteral("Body"));
    xml.writeStartElement(method);
    xml.writeDefaultNamespace(kIntuit);
    for (const auto& [name, value] : arguments) {
        xml.writeTextElement(name, value);
    }
    xml.writeEndDocument();
    return body;
}

std::pair<int, QByteArray> WebConnectorClient::post(const QUrl& url, const QByteArray& body,
                                                    const QByteArray& soapAction)
{
    QNetworkAccessManager network;
    QNetworkReply* reply = network.post(soapRequest(url, soapAction), body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray answer = reply->readAll();
    reply->deleteLater();
    return {status, answer};
}

void WebConnectorClient::start()
{
    call(QStringLiteral("serverVersion"), {});
}

void WebConnectorClient::sendRequest(const QString& hcp)
{
    call(u"sendRequestXML"_s, {{u"ticket"_s, m_ticket},
                               {u"strHCPResponse"_s, hcp},
                               {u"strCompanyFileName"_s, u"C:\\Company\\Demo.qbw"_s},
                               {u"qbXMLCountry"_s, u"US"_s},
                               {u"qbXMLMajorVers"_s, u"16"_s},
                               {u"qbXMLMinorVers"_s, u"0"_s}});
}

void WebConnectorClient::next(const QString& method, const QStringList& result)
{
    const auto withTicket = [this](const char* name, QList<std::pair<QString, QString>> arguments = {}) {
        arguments.prepend({u"ticket"_s, m_ticket});
        call(QLatin1String(name), arguments);
    };
    if (method == "serverVersion"_L1) {
        call(u"clientVersion"_s, {{u"strVersion"_s, u"2.3.0.215"_s}});
    } else if (method == "clientVersion"_L1) {
        call(u"authenticate"_s, {{u"strUserName"_s, m_script.userName}, {u"strPassword"_s, m_script.password}});
    } else if (method == "authenticate"_L1) {
        if (result.size() != 2 || result[1] == "nvu"_L1) {
            m_finished = true;
            return;
        }
        m_ticket = result[0];
        if (!m_script.connectionErrorMessage.isEmpty()) {
            withTicket("connectionError",
                       {{u"hresult"_s, u"0x80040408"_s}, {u"message"_s, m_script.connectionErrorMessage}});
        } else {
            sendRequest(m_script.sendHostCompanyPreferences
                            ? QString::fromUtf8(m_quickBooks.processRequest(hostQueryDocument()))
                            : QString());
        }
    } else if (method == "sendRequestXML"_L1) {
        const QString request = result.value(0);
        if (request.isEmpty() || request.startsWith("fault: "_L1)) {
            withTicket("closeConnection");
        } else if (!m_script.hresultAfterFirstRequest.isEmpty()) {
            withTicket("receiveResponseXML", {{u"response"_s, QString()},
                                              {u"hresult"_s, m_script.hresultAfterFirstRequest},
                                              {u"message"_s, u"The company file is in use."_s}});
        } else {
            withTicket("receiveResponseXML",
                       {{u"response"_s, QString::fromUtf8(m_quickBooks.processRequest(request.toUtf8()))},
                        {u"hresult"_s, QString()},
                        {u"message"_s, QString()}});
        }
    } else if (method == "receiveResponseXML"_L1) {
        const int percent = result.value(0).toInt();
        if (percent < 0) {
            withTicket("getLastError");
        } else {
            percent >= 100 ? withTicket("closeConnection") : sendRequest(QString());
        }
    } else if (method == "getLastError"_L1) {
        withTicket("closeConnection");
    } else {
        m_finished = true;
    }
}

void WebConnectorClient::call(const QString& method, const QList<std::pair<QString, QString>>& arguments)
{
    QNetworkReply* reply =
        m_network.post(soapRequest(m_url, '"' + (kIntuit + method).toUtf8() + '"'), envelope(method, arguments));
    QObject::connect(reply, &QNetworkReply::finished, this, [this, reply, method] {
        reply->deleteLater();
        const QStringList result = resultTexts(reply->readAll(), method);
        QStringList shownTexts = result;
        const bool withText = !result.value(0).isEmpty() && !result.value(0).startsWith(QLatin1String("fault: "));
        // A request document is long and a ticket random: only whether one came is kept.
        if (withText && method == QLatin1String("sendRequestXML")) {
            shownTexts = {QStringLiteral("(request)")};
        } else if (withText && method == QLatin1String("authenticate")) {
            shownTexts[0] = QStringLiteral("(ticket)");
        }
        m_calls << method + QLatin1Char('=') + shownTexts.join(QLatin1Char(','));
        if (result.value(0).startsWith(QLatin1String("fault: ")) && method != QLatin1String("sendRequestXML")) {
            m_finished = true;
        } else {
            next(method, result);
        }
    });
}

} // namespace wagetrove
