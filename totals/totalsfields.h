#pragma once

#include <QString>

#include <optional>

namespace wagetrove {

class Dialogs;
struct Session;

/// The checks run when the user leaves a box of the totals window. Each works on the session's box texts
/// (session.Form3) and returns true when the focus is to go back to the box.

/// Text1, Text3, Text4: a month's employee count must be numeric. Nothing is stored.
bool leaveMonthCount(const QString& text, Dialogs& dialogs);

/// Text6: takes the rate, recomputes the tax due (and Kentucky's modified rate) and, in standalone mode,
/// remembers it in the settings file. The PFML report keeps its percentages here unchecked.
bool leaveRate(Session& session, Dialogs& dialogs);

/// Text8: trims the EIN and checks its length; in standalone mode a well-formed EIN is remembered in the
/// settings file. The focus stays where the user put it.
void leaveEin(Session& session, Dialogs& dialogs);

/// Text9: trims the state account id, checks it for the state and stores it in the company's StateIDTable row.
void leaveStateId(Session& session, Dialogs& dialogs);

/// Text10: stores a numeric county code in the company's StateIDTable row (not for Kentucky, where the box
/// shows the modified rate).
void leaveCountyCode(Session& session, Dialogs& dialogs);

/// Why a state account id is not acceptable for the session's state (the message to show), or nothing.
std::optional<QString> stateIdProblem(const Session& session, const QString& stateId);

} // namespace wagetrove
