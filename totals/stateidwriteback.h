#pragma once

#include <QString>

#include <optional>

namespace wagetrove {

struct Session;

enum class StateIdField
{
    StateID,
    CountyCode,
};

/// Stores a corrected state account id or county code in the StateIDTable row of the company (the totals
/// window's EIN) and the session's state: the first such row in EIN order. With `anyStateInStandAlone`, in
/// standalone mode the row's state need not match. When no row matches nothing is written. Returns a message
/// for the user when the store could not be opened or written; the store is then unchanged.
std::optional<QString> updateStateIdRow(Session& session, StateIdField field, const QString& value,
                                        bool anyStateInStandAlone);

} // namespace wagetrove
