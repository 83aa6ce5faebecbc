#pragma once

#include <QStringList>

class QTextStream;

namespace wagetrove {

/// What wagetrove-cli tells its caller by its exit status.
enum class CliStatus
{
    Done = 0,    ///< the command did what it was asked; for file, the file was written
    Stopped = 1, ///< the program's checks stopped it: findings before filing, or a value a window refuses
    Usage = 2,   ///< the command line is wrong or leaves a question unanswered
    Failed = 3,  ///< anything else: a workbook refused, a store or settings error, a write error
};

/// Runs one wagetrove-cli command line (the arguments after the program's name). Results go to `out`, every
/// message the program shows and every error to `errors`. Never reads standard input.
CliStatus runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& errors);

} // namespace wagetrove
