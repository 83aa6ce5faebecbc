#include "tests/support/cliprocess.h"

#include <QProcessEnvironment>

namespace wagetrove::test {

CliProcess::CliProcess(QString program, QString dataFolder, QString documentsFolder)
    : m_program(std::move(program)), m_dataFolder(std::move(dataFolder)), m_documentsFolder(std::move(documentsFolder))
{}

void CliProcess::start(QProcess& process, const QStringList& arguments, const QByteArray& input,
                       const QString& today) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WAGETROVE_DOCUMENTS_DIR"), m_documentsFolder);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setInputChannelMode(QProcess::ManagedInputChannel);
    process.start(m_program,
                  QStringList{QStringLiteral("--data-folder"), m_dataFolder, QStringLiteral("--today"), today} +
                      arguments);
    process.write(input);
    process.closeWriteChannel();
}

CliRun CliProcess::finished(QProcess& process)
{
    CliRun run;
    if (!process.waitForFinished(60000)) {
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
    return {QStringLiteral("file"),      QStringLiteral("--state"), state,
            QStringLiteral("--quarter"), QStringLiteral("1"),       QStringLiteral("--year"),
            QStringLiteral("2025"),      QStringLiteral("--out"),   out};
}

const QStringList& CliProcess::submitterArguments()
{
    static const QStringList arguments = {
        QStringLiteral("submitter"),      QStringLiteral("--name"),     QStringLiteral("PAYROLL SERVICES LLC"),
        QStringLiteral("--address"),      QStringLiteral("2 OAK AVE"),  QStringLiteral("--city"),
        QStringLiteral("CHICAGO"),        QStringLiteral("--state"),    QStringLiteral("IL"),
        QStringLiteral("--zip"),          QStringLiteral("60601"),      QStringLiteral("--contact"),
        QStringLiteral("PAT DOE"),        QStringLiteral("--phone"),    QStringLiteral("312-555-0100"),
        QStringLiteral("--ein"),          QStringLiteral("98-7654321"), QStringLiteral("--email"),
        QStringLiteral("pat@example.com")};
    return arguments;
}

} // namespace wagetrove::test
