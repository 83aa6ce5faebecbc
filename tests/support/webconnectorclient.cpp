#include "tests/support/webconnectorclient.h"

#include "acquire/qb/qbtransport.h"
#include "acquire/qb/qbxmlrequests.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace wagetrove {
namespace {

const QString kSoap = QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/");
const QString kIntuit = QStringLiteral("http://developer.intuit.com/");

QNetworkRequest soapRequest(const QUrl& url, const QByteArray& soapAction)
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("text/xml; charset=utf-8"));
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

void WebConnectorClient::start(std::function<void()> done)
{
    m_done = std::move(done);
    call(QStringLiteral("serverVersion"), {}, [this](const QStringList&) {
        call(QStringLiteral("clientVersion"), {{QStringLiteral("strVersion"), QStringLiteral("2.3.0.215")}},
             [this](const QStringList&) {
                 call(QStringLiteral("authenticate"),
                      {{QStringLiteral("strUserName"), m_script.userName},
                       {QStringLiteral("strPassword"), m_script.password}},
                      [this](const QStringList& result) {
                          if (result.size() != 2 || result[1] == QLatin1String("nvu")) {
                              finish();
                              return;
                          }
                          m_ticket = m_script.ticket.isEmpty() ? result[0] : m_script.ticket;
                          if (!m_script.connectionErrorMessage.isEmpty()) {
                              call(QStringLiteral("connectionError"),
                                   {{QStringLiteral("ticket"), m_ticket},
                                    {QStringLiteral("hresult"), QStringLiteral("0x80040408")},
                                    {QStringLiteral("message"), m_script.connectionErrorMessage}},
                                   [this](const QStringList&) { finish(); });
                              return;
                          }
                          QString hcp;
                          if (m_script.sendHostCompanyPreferences) {
                              hcp = QString::fromUtf8(m_quickBooks.processRequest(hostQueryDocument()));
                          }
                          sendRequest(hcp);
                      });
             });
    });
}

void WebConnectorClient::sendRequest(const QString& hcp)
{
    call(QStringLiteral("sendRequestXML"),
         {{QStringLiteral("ticket"), m_ticket},
          {QStringLiteral("strHCPResponse"), hcp},
          {QStringLiteral("strCompanyFileName"), QStringLiteral("C:\\Company\\Demo.qbw")},
          {QStringLiteral("qbXMLCountry"), QStringLiteral("US")},
          {QStringLiteral("qbXMLMajorVers"), QStringLiteral("16")},
          {QStringLiteral("qbXMLMinorVers"), QStringLiteral("0")}},
         [this](const QStringList& result) {
             const QString request = result.value(0);
             if (request.isEmpty() || request.startsWith(QLatin1String("fault: "))) {
                 call(QStringLiteral("closeConnection"), {{QStringLiteral("ticket"), m_ticket}},
                      [this](const QStringList&) { finish(); });
                 return;
             }
             QString response;
             QString hresult;
             QString message;
             if (!m_script.hresultAfterFirstRequest.isEmpty()) {
                 hresult = m_script.hresultAfterFirstRequest;
                 message = QStringLiteral("The company file is in use.");
             } else {
                 response = QString::fromUtf8(m_quickBooks.processRequest(request.toUtf8()));
             }
             call(QStringLiteral("receiveResponseXML"),
                  {{QStringLiteral("ticket"), m_ticket},
                   {QStringLiteral("response"), response},
                   {QStringLiteral("hresult"), hresult},
                   {QStringLiteral("message"), message}},
                  [this](const QStringList& percent) {
                      const int value = percent.value(0).toInt();
                      if (value < 0) {
                          call(QStringLiteral("getLastError"), {{QStringLiteral("ticket"), m_ticket}},
                               [this](const QStringList&) {
                                   call(QStringLiteral("closeConnection"), {{QStringLiteral("ticket"), m_ticket}},
                                        [this](const QStringList&) { finish(); });
                               });
                      } else if (value >= 100) {
                          call(QStringLiteral("closeConnection"), {{QStringLiteral("ticket"), m_ticket}},
                               [this](const QStringList&) { finish(); });
                      } else {
                          sendRequest(QString());
                      }
                  });
         });
}

void WebConnectorClient::call(const QString& method, const QList<std::pair<QString, QString>>& arguments,
                              std::function<void(const QStringList&)> next)
{
    QNetworkReply* reply =
        m_network.post(soapRequest(m_url, '"' + (kIntuit + method).toUtf8() + '"'), envelope(method, arguments));
    QObject::connect(reply, &QNetworkReply::finished, this, [this, reply, method, next = std::move(next)] {
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
        const QString shown = shownTexts.join(QLatin1Char(','));
        m_calls << method + QLatin1Char('=') + shown;
        if (result.value(0).startsWith(QLatin1String("fault: ")) && method != QLatin1String("sendRequestXML")) {
            finish();
            return;
        }
        next(result);
    });
}

void WebConnectorClient::finish()
{
    m_finished = true;
    if (m_done) {
        m_done();
    }
}

} // namespace wagetrove
