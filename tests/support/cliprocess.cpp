#include "tests/support/cliprocess.h"

#include <QProcessEnvironment>

namespace wagetrove::test {

using namespace Qt::StringLiterals;

CliProcess::CliProcess(QString program, QString dataFolder, QString documentsFolder)
    : m_program(std::move(program)), m_dataFolder(std::move(dataFolder)), m_documentsFolder(std::move(documentsFolder))
{}

void CliProcess::start(QProcess& process, const QStringList& arguments, const QByteArray& input,
                       const QString& today) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"WAGETROVE_DOCUMENTS_DIR"_s, m_documentsFolder);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setInputChannelMode(QProcess::ManagedInputChannel);
    process.start(m_program, QStringList{u"--data-folder"_s, m_dataFolder, u"--today"_s, today} + arguments);
    process.write(input);
    process.closeWriteChannel();
}

CliRun CliProcess::finished(QProcess& process)
{
    CliRun run;
    // A run that ended while the caller's event loop ran is not running any more; waiting for it would fail at once.
    if (process.state() != QProcess::NotRunning && !process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

CliRun CliProcess::run(const QStringList& arguments, const QString& today, const QByteArray& input) const
{
    QProcess process;
    start(process, arguments, input, today);
    return finished(process);
}

QStringList CliProcess::quarterFile(const QString& state, const QString& out)
{
    return QStringList{u"file"_s, u"--state"_s, state} + u"--quarter 1 --year 2025 --out"_s.split(u' ') +
           QStringList{out};
}

const QStringList& CliProcess::submitterArguments()
{
    static const QStringList arguments =
        u"submitter|--name|PAYROLL SERVICES LLC|--address|2 OAK AVE|--city|CHICAGO|--state|IL|--zip|60601|--contact|"
        "PAT DOE|--phone|312-555-0100|--ein|98-7654321|--email|pat@example.com"_s.split(u'|');
    return arguments;
}

} // namespace wagetrove::test
