#pragma once

#include <QString>

namespace wagetrove {

class Dialogs;
struct Session;

/// The About box's title: "About Wagetrove".
extern const QString kAboutTitle;

/// The About box's text: the program and its version, the data folder the session uses (which uninstalling
/// leaves in place) and the licence.
QString aboutText(const Session& session);

/// About Wagetrove: shows the About box.
void AboutCommand(const Session& session, Dialogs& dialogs);

} // namespace wagetrove
