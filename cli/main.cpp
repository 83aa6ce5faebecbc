#include "cli/commands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Wagetrove"));

    // Line by line, so that results and messages keep their order when both go to one terminal or file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QTextStream out(stdout);
    QTextStream errors(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const wagetrove::CliStatus status = wagetrove::runCommandLine(arguments, out, errors);
    out.flush();
    errors.flush();
    // A result that did not reach its reader is not a success. Line buffering writes each line as it comes, so
    // a failed write shows in the stream's error flag rather than in the last flush.
    const bool lost = out.status() != QTextStream::Ok || std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (lost && status == wagetrove::CliStatus::Done) {
        return static_cast<int>(wagetrove::CliStatus::Failed);
    }
    return static_cast<int>(status);
}
