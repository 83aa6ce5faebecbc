#pragma once

#include <QList>

namespace wagetrove {

class Dialogs;
struct QbResponse;
struct Session;

/// Adds one Employee row per employee QuickBooks listed: SS without hyphens, names in upper case (points and
/// commas of first and last name as blanks, a blank for no middle name), the quarter's end, no wages yet, and the
/// SOC code from the custom field QBFieldNameSoc names. Nothing for a failed status or an empty list.
void GetEmployeeData(Session& session, const QbResponse* employees);

/// Reads the employees and their quarter's wages from the answered request set into the session's open store,
/// with the loaders the state and the options call for. Sets DataError when it could not.
void LoadEmployeeWages(Session& session, Dialogs& dialogs, const QList<QbResponse>& responses);

} // namespace wagetrove
