#pragma once

#include "acquire/reportloaders.h"

#include <QList>

#include <vector>

namespace wagetrove {

class Dialogs;
struct QbResponse;
struct Session;

/// Adds one Employee row per employee QuickBooks listed: SS without hyphens, names in upper case (points and
/// commas of first and last name as blanks, a blank for no middle name), the quarter's end, the SOC code from the
/// custom field QBFieldNameSoc names, and each employee's wages from `wages` (by position; zero where it is
/// shorter). Nothing for a failed status or an empty list.
void GetEmployeeData(Session& session, const QbResponse* employees, const std::vector<EmployeeWages>& wages);

/// Reads the employees and their quarter's wages from the answered request set into the session's open store,
/// with the loaders the state and the options call for. Sets DataError when it could not. Takes the responses so
/// as to free the employees once they are stored: after the report they are the largest part of an answer.
void LoadEmployeeWages(Session& session, Dialogs& dialogs, QList<QbResponse> responses);

} // namespace wagetrove
