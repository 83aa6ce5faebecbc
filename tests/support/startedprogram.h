#pragma once

#include "app/mainwindowstate.h"
#include "app/session.h"
#include "app/startup.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenvironment.h"

#include <QDate>
#include <QTemporaryDir>

#include <memory>

namespace wagetrove::test {

/// The program as start-up leaves it, over a documents folder of the test's own: for tests of the windows and
/// commands. Test classes inherit it next to QObject.
class StartedProgram
{
protected:
    StartedProgram();

    /// A new, empty documents folder and a new session, main window state and dialogs.
    void resetProgram();
    /// Writes suta.ini into the data folder before start-up reads it.
    bool writeSettings(const QByteArray& ini);
    /// Starts the program again over the same documents folder, with a new session and main window state.
    StartupResult startProgram(QDate today = QDate(2025, 5, 15), const QString& appFolder = programFolder());
    QString dataFolder() const;

    std::unique_ptr<QTemporaryDir> m_documents;
    std::unique_ptr<Session> m_session;
    MainWindowState m_state;
    ScriptedDialogs m_dialogs;
};

} // namespace wagetrove::test
