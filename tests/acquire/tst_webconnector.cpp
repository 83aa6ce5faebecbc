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

#include <QTcpServer>
#include <QTest>
#include <QXmlStreamReader>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

const QString kUser = u"bookkeeper"_s;
const QString kPassword = u"s3cret pässword"_s;
const QString kFixtures = QStringLiteral(WAGETROVE_QBWC_FIXTURES "/");

QString record()
{
    static const QString made = passwordRecord(kPassword);
    return made;
}

WebConnectorAccess access(int waitSeconds, const QString& certificate = {}, const QString& key = {})
{
    return {kUser, record(), waitSeconds, certificate, key, {}, {}, {}, kWebConnectorMaxBody};
}

/// A reply in short: the status and each text of the body after the envelope's, joined by ",".
QString summary(const std::optional<WebConnectorService::Reply>& reply)
{
    if (!reply) {
        return u"(none)"_s;
    }
    QXmlStreamReader xml(reply->body);
    QStringList texts;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::Characters && !xml.isWhitespace()) {
            texts << xml.text().toString();
        }
    }
    return QString::number(reply->httpStatus) + u' ' + texts.join(u',');
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QUrl localUrl(quint16 port)
{
    return QUrl(u"http://127.0.0.1:%1/qbwc"_s.arg(port));
}

} // namespace

class TestWebConnector : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    /// "(none)" is a call answered later, or an offer that answers no call.
    void service_answersEachCall_data()
    {
        QTest::addColumn<QStringList>("calls"); // method|argument=value|…; TICKET stands for the one given
        QTest::addColumn<QStringList>("replies");

        const auto row = [](const char* name, const QString& calls, const QString& replies) {
            QTest::newRow(name) << calls.split(u';') << replies.split(u';');
        };
        const QString signIn = u"authenticate|strUserName=bookkeeper|strPassword=s3cret pässword"_s;
        const QString notThisRun = u"500 soap:Client,The ticket is not this run's: authenticate first."_s;
        row("versions, sign-in, a request waited for, its answer, the close",
            u"serverVersion|strVersion=;clientVersion|strVersion=2.3;"_s + signIn +
                u";sendRequestXML|ticket=TICKET|strHCPResponse=;OFFER last <QBXML/>;receiveResponseXML|ticket=TICKET|"
                "response=<QBXML>answer</QBXML>;sendRequestXML|ticket=TICKET;closeConnection|ticket=TICKET;"
                "sendRequestXML|ticket=TICKET"_s,
            u"200 Wagetrove 1.0;200 ;200 TICKET;(none);200 <QBXML/>;200 100;200 ;200 Wagetrove has the payroll data.;"
            "500 soap:Client,This run's Web Connector session is closed."_s);
        row("requests offered first: more to come, then the last",
            signIn + u";OFFER more <QBXML/>;sendRequestXML|ticket=TICKET|strHCPResponse=;receiveResponseXML|ticket="
                     "TICKET|response=<QBXML/>;OFFER last <QBXML>2</QBXML>;sendRequestXML|ticket=TICKET"_s,
            u"200 TICKET;(none);200 <QBXML/>;200 50;(none);200 <QBXML>2</QBXML>"_s);
        row("wrong password, wrong user, then a request without a ticket",
            u"authenticate|strUserName=bookkeeper|strPassword=s3cret;authenticate|strUserName=Bookkeeper|strPassword="
            "s3cret pässword;sendRequestXML|ticket="_s,
            u"200 nvu;200 nvu;"_s + notThisRun);
        row("a second session, an earlier run's ticket",
            signIn + u';' + signIn + u";sendRequestXML|ticket=6a0c7e2e-6c1f-4a2b-9a53-3f1f4b1d2c11"_s,
            u"200 TICKET;500 soap:Client,Wagetrove already has a Web Connector session for this run.;"_s + notThisRun);
        const QString unread = u"500 soap:Client,The Web Connector's call could not be read: "_s;
        const QString body = u"<serverVersion xmlns=\"http://developer.intuit.com/\"/></s:Body></s:Envelope>"_s;
        const QString envelope = u"<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body>"_s;
        row("a document type", u"RAW||<!DOCTYPE x [<!ENTITY a \"b\">]>"_s + envelope + body,
            unread + u"it declares a document type, which a Web Connector call never does."_s);
        row("not an envelope", u"RAW||<serverVersion xmlns=\"http://developer.intuit.com/\"/>"_s,
            unread + u"it is not a SOAP 1.1 envelope."_s);
        row("a fault sent to the service", u"RAW||"_s + envelope + u"<s:Fault/></s:Body></s:Envelope>"_s,
            unread + u"it is a SOAP fault or another SOAP element, not a call."_s);
        row("another namespace", u"RAW||"_s + envelope + u"<serverVersion/></s:Body></s:Envelope>"_s,
            unread + u"its body holds <serverVersion>, not one Web Connector method."_s);
        row("SOAPAction of the method in another namespace",
            u"RAW|\"http://example.com/serverVersion\"|"_s + envelope + body,
            u"500 soap:Client,The SOAPAction http://example.com/serverVersion does not name the method serverVersion."_s);
        row("an answer nobody asked for, an unknown method",
            signIn + u";receiveResponseXML|ticket=TICKET|response=<QBXML/>;deleteCompany|ticket=TICKET"_s,
            u"200 TICKET;500 soap:Client,No request is with QuickBooks.;500 soap:Client,The Web Connector method "
            "deleteCompany is not known."_s);
    }
    void service_answersEachCall()
    {
        QFETCH(QStringList, calls);
        QFETCH(QStringList, replies);
        WebConnectorService service(kUser, record());
        QString ticket;
        QStringList answered;
        for (const QString& call : calls) {
            if (call.startsWith("RAW|"_L1)) {
                answered << summary(service.handle(call.section(u'|', 2).toUtf8(), call.section(u'|', 1, 1).toUtf8()));
                continue;
            }
            if (call.startsWith("OFFER "_L1)) {
                const QStringList parts = call.split(u' ');
                answered << summary(service.offerRequest(parts[2].toUtf8(), parts[1] == "last"_L1));
                continue;
            }
            QStringList parts = call.split(u'|');
            const QString method = parts.takeFirst();
            QList<std::pair<QString, QString>> arguments;
            for (const QString& part : parts) {
                const qsizetype equals = part.indexOf(u'=');
                arguments.append({part.left(equals), QString(part.mid(equals + 1)).replace(u"TICKET"_s, ticket)});
            }
            QString shown = summary(service.handle(WebConnectorClient::envelope(method, arguments),
                                                   "\"http://developer.intuit.com/" + method.toUtf8() + '"'));
            if (method == "authenticate"_L1 && shown.startsWith("200 "_L1) && !shown.contains("nvu"_L1)) {
                ticket = shown.mid(4);
                QVERIFY(!QUuid::fromString(ticket).isNull());
                shown = u"200 TICKET"_s;
            }
            answered << shown;
        }
        QCOMPARE(answered, replies);
    }

    void password_keptAsASaltedKey()
    {
        QVERIFY(record().startsWith("pbkdf2-sha256$100000$"_L1));
        QVERIFY(!record().contains(kPassword));
        QVERIFY(passwordMatches(kPassword, record()));
        QVERIFY(!passwordMatches(u"s3cret"_s, record()));
        QVERIFY(!passwordMatches(kPassword, u"pbkdf2-sha256$1$AA==$AA=="_s));
        QVERIFY(!passwordMatches(kPassword, kPassword));
        // More rounds than the program ever writes are refused before any is worked through.
        QVERIFY(!passwordMatches(kPassword, u"pbkdf2-sha256$2147483647$AA==$"_s + QString(43, u'A') + u'='));
    }

    void conversation_data()
    {
        QTest::addColumn<bool>("hostSent"); // the first sendRequestXML carries the host's answer
        QTest::addColumn<QString>("connectionError");
        QTest::addColumn<QString>("hresult");
        QTest::addColumn<QString>("calls");   // the client's calls after the versions and the sign-in
        QTest::addColumn<QString>("outcome"); // the company read, or the failure's text
        const QString done = u";closeConnection=Wagetrove has the payroll data."_s;
        const QString company = u"Tarrow Demo Company"_s;
        QTest::newRow("host's answer sent unasked: one request")
            << true << QString() << QString() << u"sendRequestXML=(request);receiveResponseXML=100"_s + done << company;
        QTest::newRow("host asked for first")
            << false << QString() << QString()
            << u"sendRequestXML=(request);receiveResponseXML=50;sendRequestXML=(request);receiveResponseXML=100"_s +
                   done
            << company;
        QTest::newRow("connectionError stops the run with its message")
            << true << u"Could not find the company file."_s << QString() << u"connectionError=done"_s
            << u"could not open the company file: Could not find the company file. (0x80040408)"_s;
        QTest::newRow("QuickBooks's error on the request")
            << true << QString() << u"0x80040400"_s
            << u"sendRequestXML=(request);receiveResponseXML=-101;getLastError=The company file is in use.;"
               "closeConnection=QuickBooks could not answer the Web Connector: The company file is in use. "
               "(0x80040400)"_s
            << u"QuickBooks could not answer the Web Connector: The company file is in use."_s;
    }
    void conversation()
    {
        QFETCH(bool, hostSent);
        QFETCH(QString, connectionError);
        QFETCH(QString, hresult);
        QFETCH(QString, calls);
        QFETCH(QString, outcome);
        auto company = SimulatedQuickBooks::fromFixture(test::programFolder() + u"/demo-company.json"_s);
        company->openConnection(u"test"_s, u"test"_s);
        company->beginSession();
        const quint16 port = freePort();
        WebConnectorClient client(localUrl(port), {kUser, kPassword, hostSent, connectionError, hresult}, *company);
        QStringList shown;
        WebConnectorAccess waiting = access(1);
        waiting.showWaiting = [&](const QString& text) {
            shown << text;
            client.start();
        };
        WebConnectorQuickBooks quickBooks(QString::number(port), waiting);
        QString result;
        try {
            quickBooks.openConnection(u"Tarrow Software"_s, u"Tarrow Software"_s);
            quickBooks.beginSession();
            const QByteArray host = quickBooks.processRequest(hostQueryDocument());
            QVERIFY2(host.contains("<MajorVersion>"), host.constData());
            const QByteArray answer = quickBooks.processRequest(requestDocument({QbRequest{}}));
            const qsizetype name = answer.indexOf("<CompanyName>") + 13;
            result = QString::fromUtf8(answer.mid(name, answer.indexOf('<', name) - name));
        } catch (const QbError& error) {
            result = error.message();
        }
        quickBooks.closeConnection();
        QVERIFY2(result.contains(outcome), qPrintable(result));
        QTRY_VERIFY(client.finished());
        QCOMPARE(client.calls().join(u';'),
                 u"serverVersion=Wagetrove 1.0;clientVersion=;authenticate=(ticket),;"_s + calls);
        QCOMPARE(shown, QStringList{u"Waiting for QuickBooks Web Connector — in the Web Connector, tick Wagetrove and "
                                    "press Update Selected.\nServing http://127.0.0.1:%1/qbwc"_s.arg(port)});
    }

    void waiting_endsOnCancelTimeOutAndBadSetup_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QStringList>("tls"); // the certificate and the key
        QTest::addColumn<QString>("message");
        const QString key = kFixtures + u"test-service.key"_s;
        QTest::newRow("cancel") << u"PORT"_s << true << QStringList()
                                << u"The wait for the QuickBooks Web Connector was cancelled."_s;
        QTest::newRow("time-out") << u"127.0.0.1:PORT"_s << false << QStringList()
                                  << u"The QuickBooks Web Connector did not call within 1 seconds."_s;
        QTest::newRow("another address without a certificate")
            << u"0.0.0.0:PORT"_s << false << QStringList() << u"that needs HTTPS, with a certificate"_s;
        QTest::newRow("a certificate missing")
            << u"0.0.0.0:PORT"_s << false << QStringList{u"/nonexistent/service.pem"_s, key}
            << u"The certificate /nonexistent/service.pem could not be read"_s;
        QTest::newRow("a key that is not one")
            << u"0.0.0.0:PORT"_s << false << QStringList{kFixtures + u"test-service.pem"_s, kFixtures + u"README"_s}
            << u"is not in PEM form"_s;
        QTest::newRow("no port") << u"localhost"_s << false << QStringList()
                                 << u"does not name an address to serve the Web Connector at"_s;
    }
    void waiting_endsOnCancelTimeOutAndBadSetup()
    {
        QFETCH(QString, address);
        QFETCH(bool, cancel);
        QFETCH(QStringList, tls);
        QFETCH(QString, message);
        WebConnectorAccess waiting = access(1, tls.value(0), tls.value(1));
        waiting.waitCancelled = [cancel] { return cancel; };
        try {
            WebConnectorQuickBooks quickBooks(QString(address).replace(u"PORT"_s, QString::number(freePort())),
                                              waiting);
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
        WebConnectorAccess limited = access(2);
        limited.maxBodyBytes = 1024;
        WebConnectorQuickBooks quickBooks(QString::number(port), limited);
        quickBooks.openConnection({}, {});
        const auto call = [](qsizetype size) {
            const auto signIn = [](qsizetype length) {
                return WebConnectorClient::envelope(u"authenticate"_s, {{u"strUserName"_s, QString(length, u'x')}});
            };
            return signIn(1 + size - signIn(1).size());
        };
        QCOMPARE(call(1025).size(), 1025);
        QCOMPARE(WebConnectorClient::post(localUrl(port), call(1025), {}).first, 413);
        // The largest call read is answered, after a refused one.
        const auto [status, body] = WebConnectorClient::post(localUrl(port), call(1024), {});
        QCOMPARE(status, 200);
        QVERIFY(body.contains("nvu"));
    }

    void https_servesWithTheCertificateOnly()
    {
        const quint16 port = freePort();
        WebConnectorQuickBooks quickBooks(
            u"0.0.0.0:%1"_s.arg(port), access(5, kFixtures + u"test-service.pem"_s, kFixtures + u"test-service.key"_s));
        QCOMPARE(quickBooks.serviceUrl(), u"https://0.0.0.0:%1/qbwc"_s.arg(port));
        quickBooks.openConnection({}, {});
        const QByteArray call = WebConnectorClient::envelope(u"serverVersion"_s, {});
        const auto [secureStatus, answer] =
            WebConnectorClient::post(QUrl(u"https://127.0.0.1:%1/qbwc"_s.arg(port)), call, {});
        QCOMPARE(secureStatus, 200);
        QVERIFY(answer.contains("Wagetrove 1.0"));
        // Plain HTTP gets no answer there.
        const auto [status, body] = WebConnectorClient::post(localUrl(port), call, {});
        QCOMPARE(status, 0);
        QVERIFY(!body.contains("Wagetrove"));
    }

    void qwcFile_namesEveryElement()
    {
        Session session;
        session.QBWCOwnerID = u"{11111111-2222-3333-4444-555555555555}"_s;
        session.QBWCFileID = u"{66666666-7777-8888-9999-000000000000}"_s;
        QXmlStreamReader xml(qwcDocument(session, u"https://office.example:8443/qbwc"_s, kUser));
        QStringList elements;
        while (xml.readNextStartElement()) {
            if (xml.name() != "QBWCXML"_L1) {
                elements << xml.name().toString() + u'=' + xml.readElementText();
            }
        }
        QVERIFY(!xml.hasError());
        QCOMPARE(elements.join(u'|'),
                 u"AppName=Wagetrove|AppID=|AppURL=https://office.example:8443/qbwc|AppDescription=Reads one quarter's "
                 "payroll for the state unemployment wage report.|AppSupport=https://office.example:8443/|UserName="
                 "bookkeeper|OwnerID={11111111-2222-3333-4444-555555555555}|FileID={66666666-7777-8888-9999-"
                 "000000000000}|QBType=QBFS|Style=Document|IsReadOnly=true"_s);
    }

    void appUrl_problems_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("problem"); // a part of the message; empty when the address is accepted
        QTest::newRow("https elsewhere") << u"https://office.example:8443/qbwc"_s << QString();
        QTest::newRow("http on this machine") << u"http://localhost:8089/qbwc"_s << QString();
        QTest::newRow("http loopback address") << u"http://127.0.0.1:8089/qbwc"_s << QString();
        QTest::newRow("http to another machine's name") << u"http://office.example:8089/qbwc"_s << u"only over HTTPS"_s;
        QTest::newRow("no scheme") << u"office.example/qbwc"_s << u"is not the address"_s;
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
