#pragma once

#include <QString>

namespace wagetrove {

struct Session;

/// The keys of suta.ini, section Options.
namespace settingkeys {
inline const QString kSection = QStringLiteral("Options");
inline const QString kMessage = QStringLiteral("Message");
inline const QString kTWCMessage = QStringLiteral("TWCMessage");
inline const QString kWageLimit = QStringLiteral("WageLimit");
inline const QString kLastState = QStringLiteral("LastState");
inline const QString kUseEmployer = QStringLiteral("UseEmployer");
inline const QString kStandAlone = QStringLiteral("StandAlone");
inline const QString kStandAlonenoqb = QStringLiteral("StandAlonenoqb");
inline const QString kStateID = QStringLiteral("StateID");
inline const QString kFedID = QStringLiteral("FedID");
inline const QString kRate = QStringLiteral("Rate");
inline const QString kRemitID = QStringLiteral("RemitID");
inline const QString kQBFieldNameSoc = QStringLiteral("QBFieldNameSoc");
/// How the program reaches QuickBooks: "replay:FILE" or "simulated:FILE" (set in the Submitter window).
inline const QString kQuickBooks = QStringLiteral("QuickBooks");
/// The QuickBooks Web Connector: the user name, the password's salted key, the .qwc file's two identifiers
/// (made once), the wait in seconds, and the certificate and key for HTTPS.
inline const QString kQBWCUserName = QStringLiteral("QBWCUserName");
inline const QString kQBWCPassword = QStringLiteral("QBWCPassword");
inline const QString kQBWCOwnerID = QStringLiteral("QBWCOwnerID");
inline const QString kQBWCFileID = QStringLiteral("QBWCFileID");
inline const QString kQBWCWait = QStringLiteral("QBWCWait");
inline const QString kQBWCCertificate = QStringLiteral("QBWCCertificate");
inline const QString kQBWCKey = QStringLiteral("QBWCKey");
/// The folder a state file was last saved in, where the next save dialog opens.
inline const QString kSaveFolder = QStringLiteral("SaveFolder");
/// Not written by the program: lets a reseller point the web-site button elsewhere.
inline const QString kWebSite = QStringLiteral("WebSite");
} // namespace settingkeys

/// The address the web-site button opens when the settings file names none.
inline const QString kDefaultWebSite = QStringLiteral("https://www.tarrowsoftware.com/wagetrove");

/// Reads the settings file into the session, in the order of the keys above; StateID, FedID and Rate only
/// when StandAlone is on. Missing or empty values take their defaults; a value that is not a number where a
/// number is expected reads as 0.
void ReadSettings(Session& session);

/// Writes one key of the settings file as plain text. Returns false when the file could not be written.
bool WriteSetting(const Session& session, const QString& key, const QString& value);

/// The maker's web address from the settings file, or the default.
QString webSiteAddress(const Session& session);

} // namespace wagetrove
