#pragma once

#include <QByteArray>
#include <QString>

namespace wagetrove {

class Dialogs;
struct Session;

/// Makes the .qwc file's two identifiers once and keeps them in the settings file, so that every .qwc file of
/// this data folder names the same application to the Web Connector. Returns false when they could not be kept.
bool ensureQwcIdentifiers(Session& session);

/// Why `url` cannot be the Web Connector's AppURL, or nothing when it can: http(s) with a host, and plain
/// http only for this machine (the Web Connector refuses it otherwise).
QString appUrlProblem(const QString& url);

/// The address the Web Connector calls for a connection text "webconnector:[HOST:]PORT": plain http on this
/// machine, https elsewhere; empty for any other connection.
QString webConnectorUrlFor(const QString& connection);

/// Writes the application file to `path` whole or not at all, with the identifiers made once. Returns the
/// failure's text, or nothing when the file was written.
QString writeQwcFile(Session& session, const QString& appUrl, const QString& userName, const QString& path);

/// The options window's Web Connector File button: for the connection box's "webconnector:…", asks where to
/// save the application file and writes it, each failure shown as one message.
void WriteWebConnectorFile(Session& session, Dialogs& dialogs, const QString& connection);

/// The Web Connector's application file for the service at `appUrl`, signing in as `userName`, with the
/// session's identifiers.
QByteArray qwcDocument(const Session& session, const QString& appUrl, const QString& userName);

} // namespace wagetrove
