#pragma once

#include <QByteArray>
#include <QString>

namespace wagetrove {

struct Session;

/// Makes the .qwc file's two identifiers once and keeps them in the settings file, so that every .qwc file of
/// this data folder names the same application to the Web Connector. Returns false when they could not be kept.
bool ensureQwcIdentifiers(Session& session);

/// Why `url` cannot be the Web Connector's AppURL, or nothing when it can: http(s) with a host, and plain
/// http only for this machine (the Web Connector refuses it otherwise).
QString appUrlProblem(const QString& url);

/// The Web Connector's application file for the service at `appUrl`, signing in as `userName`, with the
/// session's identifiers.
QByteArray qwcDocument(const Session& session, const QString& appUrl, const QString& userName);

} // namespace wagetrove
