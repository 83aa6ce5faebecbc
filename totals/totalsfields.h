#pragma once

#include <QString>

#include <optional>

namespace wagetrove {

class Dialogs;
struct Session;
struct TotalsWindowBoxes;

/// The checks run when the user leaves a box of the totals window. Each works on the session's box texts
/// (session.Form3) and returns true when it refused the box's text.

/// Text1, Text3, Text4: a month's employee count must be numeric. Nothing is stored. The focus goes back to a
/// refused count.
bool leaveMonthCount(const QString& text, Dialogs& dialogs);

/// Text6: takes the rate, recomputes the tax due (and Kentucky's modified rate) and, in standalone mode,
/// remembers it in the settings file. The PFML report keeps its percentages here unchecked. The focus goes back
/// to a refused rate.
bool leaveRate(Session& session, Dialogs& dialogs);

/// Text8: trims the EIN and checks its length; in standalone mode a well-formed EIN is remembered in the
/// settings file. The focus stays where the user put it.
bool leaveEin(Session& session, Dialogs& dialogs);

/// Text9: trims the state account id, checks it for the state and stores it in the company's StateIDTable row.
bool leaveStateId(Session& session, Dialogs& dialogs);

/// Text10: stores a numeric county code in the company's StateIDTable row (not for Kentucky, where the box
/// shows the modified rate).
bool leaveCountyCode(Session& session, Dialogs& dialogs);

/// Runs the check of box TextN when the user leaves it. A refused text gives way to the box's text in force
/// (`inForce`: the texts as last accepted), so that what the window shows is what is filed; an accepted one
/// makes the boxes, with whatever its check changed, the texts in force. Returns true when the focus is to go
/// back to the box. Boxes without a check of their own are left alone.
bool leaveTotalsBox(Session& session, Dialogs& dialogs, int number, TotalsWindowBoxes& inForce);

/// Whether box TextN only shows what the totals pass computed: nothing checks it and no file reads it, so the
/// window lets it be selected and copied but not typed into. The tax due is typed over for Florida, whose file
/// takes it from the box, and holds the family share of the PFML report.
bool isComputedBox(const Session& session, int number);

/// Why a state account id is not acceptable for the session's state (the message to show), or nothing.
std::optional<QString> stateIdProblem(const Session& session, const QString& stateId);

} // namespace wagetrove
