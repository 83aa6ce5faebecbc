#pragma once

#include "common/currency.h"

namespace wagetrove {

struct Session;

/// The tax at a rate in percent: the amount times the rate kept to four decimals, then divided by 100 and
/// rounded to the cent, halves away from zero. 10,000.00 at 2.7 gives 270.00.
Currency taxAtRate(Currency amount, Currency ratePercent);

/// The Kentucky rate without the 0.075 service capacity upgrade fund share.
Currency modifiedRateOf(Currency rate);

/// The totals pass over the session's open store: removes the employees without wages, sums the wages, counts
/// the employees of each month, completes the rows no loader completed (a StateCode of one blank: counted in
/// every month, stored with the three month flags, StateCode "12", upper-case names and the run's quarter),
/// and fills the totals window's boxes. A step that fails is skipped and the next one runs.
void RecalculateTotals(Session& session);

/// Edit/Change's recomputation after the wage grid closed: opens the store for this command alone, runs the
/// totals pass and closes the store. Returns the store's error text when it could not be opened.
std::optional<QString> RecalculateTotalsInStore(Session& session);

} // namespace wagetrove
