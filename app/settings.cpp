#include "app/settings.h"

#include "app/session.h"
#include "common/inifile.h"

#include <QDir>

namespace wagetrove {
namespace {

/// A flag that defaults to "Y" is off only when the file says "N"; one that defaults to "N" is on only for "Y".
bool readFlag(const QString& value, bool defaultValue)
{
    if (value.isEmpty()) {
        return defaultValue;
    }
    return value == QStringLiteral("Y");
}

} // namespace

void ReadSettings(Session& session)
{
    using namespace settingkeys;
    const IniFile ini(session.SettingsFile);
    const auto read = [&](const QString& key) { return ini.read(kSection, key); };

    session.Message = readFlag(read(kMessage), true);
    session.TWCMessage = readFlag(read(kTWCMessage), true);
    session.WageLimit = Currency::fromAnyText(read(kWageLimit)).value_or(Currency());
    const QString lastState = read(kLastState);
    session.LastState = lastState.isEmpty() ? QStringLiteral("0") : lastState;
    session.UseEmployer = readFlag(read(kUseEmployer), false);
    session.StandAlone = readFlag(read(kStandAlone), false);
    session.StandAlonenoqb = readFlag(read(kStandAlonenoqb), false);
    if (session.StandAlone) {
        session.StateID = read(kStateID);
        session.FedID = read(kFedID);
        if (const auto rate = Currency::fromAnyText(read(kRate))) {
            session.Rate = *rate;
            // The Kentucky rate is the SUI rate less the 0.075 service capacity upgrade fund share.
            session.ModifiedRate = rate->minus(Currency::fromRaw(750)).value_or(*rate);
        }
    }
    const QString remitId = read(kRemitID);
    session.RemitID = remitId.isEmpty() ? QStringLiteral("999996") : remitId;
    session.QBFieldNameSoc = read(kQBFieldNameSoc);
    session.QuickBooksConnection = read(kQuickBooks).trimmed();
    session.QBWCUserName = read(kQBWCUserName);
    session.QBWCPassword = read(kQBWCPassword).trimmed();
    session.QBWCOwnerID = read(kQBWCOwnerID).trimmed();
    session.QBWCFileID = read(kQBWCFileID).trimmed();
    bool waitOk = false;
    const int wait = read(kQBWCWait).trimmed().toInt(&waitOk);
    session.QBWCWaitSeconds = waitOk && wait > 0 ? wait : 600;
    session.QBWCCertificate = read(kQBWCCertificate).trimmed();
    session.QBWCKey = read(kQBWCKey).trimmed();
    session.SaveFolder = QDir::fromNativeSeparators(read(kSaveFolder).trimmed());
}

bool WriteSetting(const Session& session, const QString& key, const QString& value)
{
    return IniFile(session.SettingsFile).write(settingkeys::kSection, key, value);
}

QString webSiteAddress(const Session& session)
{
    const QString address = IniFile(session.SettingsFile).read(settingkeys::kSection, settingkeys::kWebSite);
    return address.isEmpty() ? kDefaultWebSite : address;
}

} // namespace wagetrove
