// The Web Connector transport: the service's answers call by call, and whole conversations with a client that
// plays the Web Connector over HTTP against the simulated demo company.
#include "acquire/qb/qbxmlrequests.h"
#include "acquire/qb/simulatedquickbooks.h"
#include "acquire/qbwc/qwcfile.h"
#include "acquire/qbwc/webconnectorpassword.h"
#include "acquire/qbwc/webconnectorquickbooks.h"
#include "app/session.h"
#include "tests/support/testenvironment.h"
#include "tests/support/webconnectorclient.h"

#include <QNetworkReply>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTest>
#include <QXmlStreamReader>

using namespace wagetrove;

namespace {

const QString kUser = QStringLiteral("bookkeeper");
const QString kPassword = QStringLiteral("s3cret pässword");

QString record()
{
    static const QString made = passwordRecord(kPassword);
    return made;
}

/// A reply in short: the status and each text of the body after the envelope's, joined by ",".
QString summary(const std::optional<WebConnectorService::Reply>& reply)
{
    if (!reply) {
        return QStringLiteral("(later)");
    }
    QXmlStreamReader xml(reply->body);
    QStringList texts;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::Characters && !xml.isWhitespace()) {
            texts << xml.text().toString();
        }
    }
    return QString::number(reply->httpStatus) + QLatin1Char(' ') + texts.join(QLatin1Char(','));
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

class TestWebConnector : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void service_answersEachCall_data()
    {
        QTest::addColumn<QStringList>("calls"); // method|argument=value|…; TICKET stands for the one given
        QTest::addColumn<QStringList>("replies");

        const QString signIn = QStringLiteral("authenticate|strUserName=bookkeeper|strPassword=s3cret pässword");
        QTest::newRow("versions, sign-in, a request waited for, its answer")
            << QStringList{QStringLiteral("serverVersion|strVersion="),
                           QStringLiteral("clientVersion|strVersion=2.3"),
                           signIn,
                           QStringLiteral("sendRequestXML|ticket=TICKET|strHCPResponse="),
                           QStringLiteral("OFFER last <QBXML/>"),
                           QStringLiteral("receiveResponseXML|ticket=TICKET|response=<QBXML>answer</QBXML>"),
                           QStringLiteral("sendRequestXML|ticket=TICKET"),
                           QStringLiteral("closeConnection|ticket=TICKET")}
            << QStringList{QStringLiteral("200 Wagetrove 1.0"),
                           QStringLiteral("200 "),
                           QStringLiteral("200 TICKET"),
                           QStringLiteral("(later)"),
                           QStringLiteral("200 <QBXML/>"),
                           QStringLiteral("200 100"),
                           QStringLiteral("200 "),
                           QStringLiteral("200 Wagetrove has the payroll data.")};
        QTest::newRow("a request offered first: more to come")
            << QStringList{signIn, QStringLiteral("OFFER more <QBXML/>"),
                           QStringLiteral("sendRequestXML|ticket=TICKET|strHCPResponse="),
                           QStringLiteral("receiveResponseXML|ticket=TICKET|response=<QBXML/>")}
            << QStringList{QStringLiteral("200 TICKET"), QStringLiteral("(none)"), QStringLiteral("200 <QBXML/>"),
                           QStringLiteral("200 50")};
        QTest::newRow("wrong password, wrong user, then a request without a ticket")
            << QStringList{QStringLiteral("authenticate|strUserName=bookkeeper|strPassword=s3cret"),
                           QStringLiteral("authenticate|strUserName=Bookkeeper|strPassword=s3cret pässword"),
                           QStringLiteral("sendRequestXML|ticket=")}
            << QStringList{QStringLiteral("200 nvu"), QStringLiteral("200 nvu"),
                           QStringLiteral("500 soap:Client,The ticket is not this run's: authenticate first.")};
        QTest::newRow("a second session, an earlier run's ticket")
            << QStringList{signIn, signIn, QStringLiteral("sendRequestXML|ticket=6a0c7e2e-6c1f-4a2b-9a53-3f1f4b1d2c11")}
            << QStringList{
                   QStringLiteral("200 TICKET"),
                   QStringLiteral("500 soap:Client,Wagetrove already has a Web Connector session for this run."),
                   QStringLiteral("500 soap:Client,The ticket is not this run's: authenticate first.")};
        QTest::newRow("an answer nobody asked for, an unknown method")
            << QStringList{signIn, QStringLiteral("receiveResponseXML|ticket=TICKET|response=<QBXML/>"),
                           QStringLiteral("deleteCompany|ticket=TICKET")}
            << QStringList{QStringLiteral("200 TICKET"),
                           QStringLiteral("500 soap:Client,No request is with QuickBooks."),
                           QStringLiteral("500 soap:Client,The Web Connector method deleteCompany is not known.")};
    }
    void service_answersEachCall()
    {
        QFETCH(QStringList, calls);
        QFETCH(QStringList, replies);
        WebConnectorService service(kUser, record());
        QString ticket;
        QStringList answered;
        for (const QString& call : calls) {
            if (call.startsWith(QLatin1String("OFFER "))) {
                const QStringList parts = call.split(QLatin1Char(' '));
                answered << summary(service.offerRequest(parts[2].toUtf8(), parts[1] == QLatin1String("last")))
                                .replace(QStringLiteral("(later)"), QStringLiteral("(none)"));
                continue;
            }
            QStringList parts = call.split(QLatin1Char('|'));
            const QString method = parts.takeFirst();
            QList<std::pair<QString, QString>> arguments;
            for (const QString& part : parts) {
                const qsizetype equals = part.indexOf(QLatin1Char('='));
                arguments.append(
                    {part.left(equals), QString(part.mid(equals + 1)).replace(QStringLiteral("TICKET"), ticket)});
            }
            const auto reply = service.handle(WebConnectorClient::envelope(method, arguments),
                                              "\"http://developer.intuit.com/" + method.toUtf8() + '"');
            QString shown = summary(reply);
            if (method == QLatin1String("authenticate") && shown.startsWith(QLatin1String("200 ")) &&
                !shown.contains(QLatin1String("nvu"))) {
                ticket = shown.mid(4);
                QVERIFY(!QUuid::fromString(ticket).isNull());
                shown = QStringLiteral("200 TICKET");
            }
            answered << shown;
        }
        QCOMPARE(answered, replies);
    }

    void service_refusesWhatIsNotACall_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("soapAction");
        QTest::addColumn<QString>("reason");
        const QByteArray version = WebConnectorClient::envelope(QStringLiteral("serverVersion"), {});
        QTest::newRow("document type") << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"b\">]>") +
                                              version.mid(version.indexOf("<soap"))
                                       << QByteArray() << QStringLiteral("declares a document type");
        QTest::newRow("not an envelope") << QByteArray("<serverVersion xmlns=\"http://developer.intuit.com/\"/>")
                                         << QByteArray() << QStringLiteral("not a SOAP 1.1 envelope");
        QTest::newRow("a fault sent to the service")
            << QByteArray("<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body><s:Fault/>"
                          "</s:Body></s:Envelope>")
            << QByteArray() << QStringLiteral("SOAP fault");
        QTest::newRow("another namespace")
            << QByteArray("<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body><serverVersion/>"
                          "</s:Body></s:Envelope>")
            << QByteArray() << QStringLiteral("not one Web Connector method");
        QTest::newRow("SOAPAction of another method")
            << version << QByteArray("http://developer.intuit.com/authenticate")
            << QStringLiteral("does not name the method serverVersion");
        QTest::newRow("not XML") << QByteArray("GET / HTTP/1.0") << QByteArray() << QStringLiteral("could not be read");
    }
    void service_refusesWhatIsNotACall()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, soapAction);
        QFETCH(QString, reason);
        WebConnectorService service(kUser, record());
        const auto reply = service.handle(body, soapAction);
        QVERIFY(reply);
        QCOMPARE(reply->httpStatus, 500);
        QVERIFY2(summary(reply).contains(reason), qPrintable(summary(reply)));
    }

    void password_keptAsASaltedKey()
    {
        const QString first = record();
        QVERIFY(first.startsWith(QLatin1String("pbkdf2-sha256$100000$")));
        QVERIFY(!first.contains(kPassword));
        QVERIFY(passwordMatches(kPassword, first));
        QVERIFY(!passwordMatches(QStringLiteral("s3cret"), first));
        QVERIFY(!passwordMatches(kPassword, QStringLiteral("pbkdf2-sha256$1$AA==$AA==")));
        QVERIFY(!passwordMatches(kPassword, kPassword));
    }

    void conversation_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("hostSent"); // the first sendRequestXML carries the host's answer
        QTest::addColumn<QString>("connectionError");
        QTest::addColumn<QString>("hresult");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("outcome"); // the company read, or the failure's text

        const QStringList opening{QStringLiteral("serverVersion=Wagetrove 1.0"), QStringLiteral("clientVersion="),
                                  QStringLiteral("authenticate=(ticket),")};
        const QString done = QStringLiteral("closeConnection=Wagetrove has the payroll data.");
        QTest::newRow("host's answer sent unasked: one request")
            << kPassword << true << QString() << QString()
            << opening + QStringList{QStringLiteral("sendRequestXML=(request)"),
                                     QStringLiteral("receiveResponseXML=100"), done}
            << QStringLiteral("Tarrow Demo Company");
        QTest::newRow("host asked for first") << kPassword << false << QString() << QString()
                                              << opening + QStringList{QStringLiteral("sendRequestXML=(request)"),
                                                                       QStringLiteral("receiveResponseXML=50"),
                                                                       QStringLiteral("sendRequestXML=(request)"),
                                                                       QStringLiteral("receiveResponseXML=100"), done}
                                              << QStringLiteral("Tarrow Demo Company");
        QTest::newRow("wrong password: no data, the wait runs out")
            << QStringLiteral("guess") << true << QString() << QString()
            << QStringList{opening[0], opening[1], QStringLiteral("authenticate=,nvu")}
            << QStringLiteral("did not call within 1 seconds");
        QTest::newRow("connectionError stops the run with its message")
            << kPassword << true << QStringLiteral("Could not find the company file.") << QString()
            << opening + QStringList{QStringLiteral("connectionError=done")}
            << QStringLiteral("could not open the company file: Could not find the company file. (0x80040408)");
        QTest::newRow("QuickBooks's error on the request")
            << kPassword << true << QString() << QStringLiteral("0x80040400")
            << opening +
                   QStringList{QStringLiteral("sendRequestXML=(request)"), QStringLiteral("receiveResponseXML=-101"),
                               QStringLiteral("getLastError=The company file is in use."),
                               QStringLiteral("closeConnection=QuickBooks could not answer the Web Connector: The "
                                              "company file is in use. (0x80040400)")}
            << QStringLiteral("QuickBooks could not answer the Web Connector: The company file is in use.");
    }
    void conversation()
    {
        QFETCH(QString, password);
        QFETCH(bool, hostSent);
        QFETCH(QString, connectionError);
        QFETCH(QString, hresult);
        QFETCH(QStringList, calls);
        QFETCH(QString, outcome);

        auto company = SimulatedQuickBooks::fromFixture(test::programFolder() + QStringLiteral("/demo-company.json"));
        company->openConnection(QStringLiteral("test"), QStringLiteral("test"));
        company->beginSession();
        const quint16 port = freePort();
        WebConnectorClient client(QUrl(QStringLiteral("http://127.0.0.1:%1/qbwc").arg(port)),
                                  {kUser, password, hostSent, connectionError, hresult, {}}, *company);
        QStringList shown;
        WebConnectorAccess access{kUser,
                                  record(),
                                  1,
                                  {},
                                  {},
                                  [&](const QString& text) {
                                      shown << text;
                                      client.start();
                                  },
                                  {},
                                  {}};
        WebConnectorQuickBooks quickBooks(QString::number(port), access);
        QString result;
        try {
            quickBooks.openConnection(QStringLiteral("Tarrow Software"), QStringLiteral("Tarrow Software"));
            quickBooks.beginSession();
            const QByteArray host = quickBooks.processRequest(hostQueryDocument());
            QVERIFY2(host.contains("<MajorVersion>"), host.constData());
            const QByteArray answer = quickBooks.processRequest(requestDocument({QbRequest{}}));
            const qsizetype name = answer.indexOf("<CompanyName>");
            result = QString::fromUtf8(answer.mid(name + 13, answer.indexOf('<', name + 1) - name - 13));
        } catch (const QbError& error) {
            result = error.message();
        }
        quickBooks.closeConnection();
        QVERIFY2(result.contains(outcome), qPrintable(result));
        QTRY_VERIFY(client.finished());
        QCOMPARE(client.calls(), calls);
        QCOMPARE(shown,
                 QStringList{QStringLiteral("Waiting for QuickBooks Web Connector — in the Web Connector, tick "
                                            "Wagetrove and press Update Selected.\nServing http://127.0.0.1:%1/qbwc")
                                 .arg(port)});
    }

    void waiting_endsOnCancelTimeOutAndBadSetup_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QStringList>("tls"); // the certificate and the key
        QTest::addColumn<QString>("message");
        const QString fixtures = QStringLiteral(WAGETROVE_QBWC_FIXTURES "/");
        const QStringList pair{fixtures + QStringLiteral("test-service.pem"),
                               fixtures + QStringLiteral("test-service.key")};
        QTest::newRow("cancel") << QStringLiteral("PORT") << true << QStringList()
                                << QStringLiteral("The wait for the QuickBooks Web Connector was cancelled.");
        QTest::newRow("time-out") << QStringLiteral("127.0.0.1:PORT") << false << QStringList()
                                  << QStringLiteral("The QuickBooks Web Connector did not call within 1 seconds.");
        QTest::newRow("time-out over HTTPS")
            << QStringLiteral("0.0.0.0:PORT") << false << pair << QStringLiteral("did not call within 1 seconds");
        QTest::newRow("another address without a certificate")
            << QStringLiteral("0.0.0.0:PORT") << false << QStringList()
            << QStringLiteral("that needs HTTPS, with a certificate");
        QTest::newRow("a certificate missing") << QStringLiteral("0.0.0.0:PORT") << false
                                               << QStringList{QStringLiteral("/nonexistent/service.pem"), pair[1]}
                                               << QStringLiteral("The certificate /nonexistent/service.pem could not "
                                                                 "be read");
        QTest::newRow("a key that is not one")
            << QStringLiteral("0.0.0.0:PORT") << false << QStringList{pair[0], fixtures + QStringLiteral("README")}
            << QStringLiteral("is not in PEM form");
        QTest::newRow("no port") << QStringLiteral("localhost") << false << QStringList()
                                 << QStringLiteral("does not name an address to serve the Web Connector at");
    }
    void waiting_endsOnCancelTimeOutAndBadSetup()
    {
        QFETCH(QString, address);
        QFETCH(bool, cancel);
        QFETCH(QStringList, tls);
        QFETCH(QString, message);
        WebConnectorAccess access{kUser, record(), 1, {}, {}, {}, [cancel] { return cancel; }, {}};
        if (!tls.isEmpty()) {
            access.certificateFile = tls[0];
            access.keyFile = tls[1];
        }
        try {
            WebConnectorQuickBooks quickBooks(
                QString(address).replace(QStringLiteral("PORT"), QString::number(freePort())), access);
            quickBooks.openConnection({}, {});
            quickBooks.beginSession();
            QFAIL("the wait did not end with a failure");
        } catch (const QbError& error) {
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        }
    }

    void oversizedBody_isRefusedWithoutAnAnswer()
    {
        const quint16 port = freePort();
        WebConnectorAccess access{kUser, record(), 2, {}, {}, {}, {}, {}};
        access.maxBodyBytes = 1024;
        WebConnectorQuickBooks quickBooks(QString::number(port), access);
        quickBooks.openConnection({}, {});
        const QUrl url(QStringLiteral("http://127.0.0.1:%1/qbwc").arg(port));
        const auto [status, body] = WebConnectorClient::post(
            url,
            WebConnectorClient::envelope(QStringLiteral("authenticate"),
                                         {{QStringLiteral("strUserName"), QString(2000, QLatin1Char('x'))}}),
            {});
        QCOMPARE(status, 413);
        const auto [versionStatus, version] =
            WebConnectorClient::post(url, WebConnectorClient::envelope(QStringLiteral("serverVersion"), {}), {});
        QCOMPARE(versionStatus, 200);
        QVERIFY(version.contains("Wagetrove 1.0"));
    }

    void https_servesWithTheCertificateOnly()
    {
        const quint16 port = freePort();
        WebConnectorAccess access{kUser,
                                  record(),
                                  5,
                                  QStringLiteral(WAGETROVE_QBWC_FIXTURES "/test-service.pem"),
                                  QStringLiteral(WAGETROVE_QBWC_FIXTURES "/test-service.key"),
                                  {},
                                  {},
                                  {}};
        WebConnectorQuickBooks quickBooks(QStringLiteral("0.0.0.0:%1").arg(port), access);
        QCOMPARE(quickBooks.serviceUrl(), QStringLiteral("https://0.0.0.0:%1/qbwc").arg(port));
        quickBooks.openConnection({}, {});
        const QByteArray call = WebConnectorClient::envelope(QStringLiteral("serverVersion"), {});
        QNetworkAccessManager network;
        QNetworkRequest request(QUrl(QStringLiteral("https://127.0.0.1:%1/qbwc").arg(port)));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("text/xml; charset=utf-8"));
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        // The test's certificate is its own, signed by no authority.
        tls.setPeerVerifyMode(QSslSocket::VerifyNone);
        request.setSslConfiguration(tls);
        QNetworkReply* reply = network.post(request, call);
        QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 10000);
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        QVERIFY(reply->readAll().contains("Wagetrove 1.0"));
        reply->deleteLater();
        // Plain HTTP gets no answer there.
        const auto [status, body] =
            WebConnectorClient::post(QUrl(QStringLiteral("http://127.0.0.1:%1/qbwc").arg(port)), call, {});
        QCOMPARE(status, 0);
        QVERIFY(!body.contains("Wagetrove"));
    }

    void qwcFile_namesEveryElement()
    {
        Session session;
        session.QBWCOwnerID = QStringLiteral("{11111111-2222-3333-4444-555555555555}");
        session.QBWCFileID = QStringLiteral("{66666666-7777-8888-9999-000000000000}");
        QXmlStreamReader xml(qwcDocument(session, QStringLiteral("https://office.example:8443/qbwc"), kUser));
        QStringList elements;
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("QBWCXML")) {
                elements << xml.name().toString() + QLatin1Char('=') + xml.readElementText();
            }
        }
        QVERIFY(!xml.hasError());
        QCOMPARE(elements,
                 (QStringList{
                     QStringLiteral("AppName=Wagetrove"), QStringLiteral("AppID="),
                     QStringLiteral("AppURL=https://office.example:8443/qbwc"),
                     QStringLiteral("AppDescription=Reads one quarter's payroll for the state unemployment "
                                    "wage report."),
                     QStringLiteral("AppSupport=https://office.example:8443/"), QStringLiteral("UserName=bookkeeper"),
                     QStringLiteral("OwnerID={11111111-2222-3333-4444-555555555555}"),
                     QStringLiteral("FileID={66666666-7777-8888-9999-000000000000}"), QStringLiteral("QBType=QBFS"),
                     QStringLiteral("Style=Document"), QStringLiteral("IsReadOnly=true")}));
    }

    void appUrl_problems_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("problem"); // a part of the message; empty when the address is accepted
        QTest::newRow("https elsewhere") << QStringLiteral("https://office.example:8443/qbwc") << QString();
        QTest::newRow("http on this machine") << QStringLiteral("http://localhost:8089/qbwc") << QString();
        QTest::newRow("http loopback address") << QStringLiteral("http://127.0.0.1:8089/qbwc") << QString();
        QTest::newRow("http elsewhere") << QStringLiteral("http://office.example:8089/qbwc")
                                        << QStringLiteral("only over HTTPS");
        QTest::newRow("no scheme") << QStringLiteral("office.example/qbwc") << QStringLiteral("is not the address");
        QTest::newRow("ftp") << QStringLiteral("ftp://office.example/qbwc") << QStringLiteral("is not the address");
    }
    void appUrl_problems()
    {
        QFETCH(QString, url);
        QFETCH(QString, problem);
        const QString found = appUrlProblem(url);
        QVERIFY2(problem.isEmpty() ? found.isEmpty() : found.contains(problem), qPrintable(found));
    }
};

QTEST_GUILESS_MAIN(TestWebConnector)
#include "tst_webconnector.moc"
