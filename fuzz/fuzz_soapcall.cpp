// The Web Connector's SOAP calls as they arrive over HTTP. The bytes are read as one call, handed to a service
// nobody has signed in to, and then, cut at each "\n====\n", handed as a conversation to a service that has
// signed in; "@TICKET@" in them stands for that session's ticket. Every answer must be well-formed XML, and a
// sendRequestXML left waiting must be answered by the next request offered.
#include "acquire/qb/qbtransport.h"
#include "acquire/qbwc/soapcall.h"
#include "acquire/qbwc/webconnectorpassword.h"
#include "acquire/qbwc/webconnectorservice.h"
#include "fuzz/fuzzsupport.h"

#include <QPasswordDigestor>
#include <QXmlStreamReader>

using namespace wagetrove;
using wagetrove::fuzz::require;

namespace {

const QString kUserName = QStringLiteral("payroll");
const QString kPassword = QStringLiteral("fuzz-password");
const QByteArray kSeparator = "\n====\n";
const QByteArray kTicketMark = "@TICKET@";
const QByteArray kRequest = "<?xml version=\"1.0\"?><?qbxml version=\"3.0\"?><QBXML><QBXMLMsgsRq onError="
                            "\"continueOnError\"><CompanyQueryRq requestID=\"0\"/></QBXMLMsgsRq></QBXML>";
constexpr int kRequestsInRun = 3;

/// The record the program keeps, made once: deriving its key takes a hundred thousand rounds.
const QString& passwordRecordOnce()
{
    static const QString record = passwordRecord(kPassword);
    return record;
}

/// A record in the same form with a single round, so that the signed-in conversation costs nothing to start.
const QString& quickPasswordRecord()
{
    static const QString record = [] {
        const QByteArray salt = "fuzzing-salt";
        const QByteArray key =
            QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, kPassword.toUtf8(), salt, 1, 32);
        return QStringLiteral("pbkdf2-sha256$1$%1$%2")
            .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(key.toBase64()));
    }();
    return record;
}

void requireWellFormed(const QByteArray& body)
{
    QXmlStreamReader xml(body);
    while (!xml.atEnd()) {
        xml.readNext();
    }
    require(!xml.hasError());
}

void requireWellFormed(const std::optional<WebConnectorService::Reply>& reply)
{
    if (reply) {
        requireWellFormed(reply->body);
    }
}

QByteArray call(const QByteArray& method, const QByteArray& arguments)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/"
           "envelope/\"><soap:Body><" +
           method + " xmlns=\"http://developer.intuit.com/\">" + arguments + "</" + method +
           "></soap:Body></soap:Envelope>";
}

/// The ticket of a signed-in service: the first text of authenticate's answer.
QByteArray signIn(WebConnectorService& service)
{
    const std::optional<WebConnectorService::Reply> reply =
        service.handle(call("authenticate", "<strUserName>" + kUserName.toUtf8() + "</strUserName><strPassword>" +
                                                kPassword.toUtf8() + "</strPassword>"),
                       {});
    require(reply && service.authenticated());
    QXmlStreamReader xml(reply->body);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("string")) {
            return xml.readElementText().toUtf8();
        }
    }
    require(false);
    return {};
}

void converse(const QByteArray& input)
{
    WebConnectorService service(kUserName, quickPasswordRecord());
    const QByteArray ticket = signIn(service);
    // Like a run, the next request is offered only once a sendRequestXML waits for it, and answers it at once
    // or after the call that follows.
    int offered = 1;
    service.offerRequest(kRequest, false);
    bool waiting = false;
    const auto answerWaiting = [&] {
        if (waiting) {
            const std::optional<WebConnectorService::Reply> answer =
                service.offerRequest(kRequest, ++offered == kRequestsInRun);
            require(answer.has_value());
            requireWellFormed(answer);
            waiting = false;
        }
    };
    qsizetype start = 0;
    while (start <= input.size()) {
        qsizetype end = input.indexOf(kSeparator, start);
        if (end < 0) {
            end = input.size();
        }
        QByteArray body = input.mid(start, end - start);
        body.replace(kTicketMark, ticket);
        start = end + kSeparator.size();

        const std::optional<WebConnectorService::Reply> reply = service.handle(body, {});
        answerWaiting();
        requireWellFormed(reply);
        if (!reply) {
            // Once the last request has been answered or has failed, nothing is left to wait for.
            require(offered < kRequestsInRun);
            waiting = true;
        }
        (void)service.takeResponse();
    }
    answerWaiting();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray body = wagetrove::fuzz::bytesOf(data, size);
    SoapCall soapCall;
    try {
        soapCall = readSoapCall(body);
        require(!soapCall.method.isEmpty());
    } catch (const QbError& error) {
        require(!error.message().isEmpty());
    }

    WebConnectorService stranger(kUserName, passwordRecordOnce());
    const std::optional<WebConnectorService::Reply> reply = stranger.handle(body, {});
    // Nobody has signed in, so nothing is left waiting and every call is answered at once.
    require(reply.has_value());
    requireWellFormed(reply);
    // Only the user's name and password sign in.
    require(!stranger.authenticated() || (soapCall.argument(QStringLiteral("strUserName")) == kUserName.toUtf8() &&
                                          soapCall.argument(QStringLiteral("strPassword")) == kPassword.toUtf8()));

    converse(body);
    return 0;
}
