#include "tests/support/startedprogram.h"

#include "tests/support/filebytes.h"

#include <QDir>

namespace wagetrove::test {

StartedProgram::StartedProgram()
{
    resetProgram();
}

void StartedProgram::resetProgram()
{
    m_session.reset();
    m_documents = std::make_unique<QTemporaryDir>();
    m_session = std::make_unique<Session>();
    m_state = MainWindowState();
    m_dialogs = ScriptedDialogs();
}

bool StartedProgram::writeSettings(const QByteArray& ini)
{
    return QDir().mkpath(dataFolder()) && writeBytes(dataFolder() + QStringLiteral("suta.ini"), ini);
}

StartupResult StartedProgram::startProgram(QDate today, const QString& appFolder)
{
    m_session.reset();
    m_session = std::make_unique<Session>();
    m_state = MainWindowState();
    StartupEnvironment environment;
    environment.appFolder = appFolder;
    environment.documentsFolder = m_documents->path();
    environment.today = today;
    const auto guard = SingleInstanceGuard::forEnvironment(environment);
    return runStartup(*m_session, m_state, m_dialogs, environment, *guard);
}

QString StartedProgram::dataFolder() const
{
    return m_documents->path() + QStringLiteral("/Tarrow Software/Wagetrove/");
}

} // namespace wagetrove::test
