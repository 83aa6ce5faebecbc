#pragma once

#include <QString>

namespace wagetrove {

struct QbResponse;
struct Session;

/// The default names of the state's unemployment and withholding payroll items, as QuickBooks names them.
QString defaultSuiItemName(const Session& session);
QString defaultSwhItemName(const Session& session);

/// Reads the company QuickBooks returned into the session's open store and windows: the Employer row, the
/// transmitter window's employer boxes and EmployerAddress, the totals window's EIN (and FedID), the company's
/// StateIDTable row for the state (added with the default item names when there is none, else its State ID,
/// county code and item names taken), and the Submitter row when its EIN is still empty. A statement that fails
/// is skipped and the next one runs.
void ReadEmployerInfo(Session& session, const QbResponse& company);

} // namespace wagetrove
