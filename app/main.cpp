#include "app/form1.h"
#include "app/qtdialogs.h"
#include "app/session.h"
#include "app/startup.h"
#include "app/windowfinish.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>
#include <QTimer>

#include <cstring>

int main(int argc, char* argv[])
{
    // Answered before the application object exists, so that it needs no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            QTextStream(stdout) << QStringLiteral("wagetrove ") << wagetrove::applicationVersion() << '\n';
            return 0;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wagetrove"));

    const auto environment = wagetrove::StartupEnvironment::fromProcess();
    const auto guard = wagetrove::SingleInstanceGuard::forEnvironment(environment);
    wagetrove::QtDialogs dialogs;
    wagetrove::Session session;
    wagetrove::MainWindowState state;
    switch (wagetrove::runStartup(session, state, dialogs, environment, *guard)) {
    case wagetrove::StartupResult::AlreadyRunning:
        return 0;
    case wagetrove::StartupResult::Failed:
        return 1;
    case wagetrove::StartupResult::Ready:
        break;
    }

    session.RemembersSaveFolder = true;
    wagetrove::configureWindows(
        {session.DataFolder + QStringLiteral("windows.ini"), session.AppFolder + QStringLiteral("user-guide.html")});
    QIcon icon = QIcon::fromTheme(QStringLiteral("wagetrove"));
    if (icon.isNull()) {
        icon = QIcon(session.AppFolder + QStringLiteral("wagetrove.png"));
    }
    QApplication::setWindowIcon(icon);
    wagetrove::Form1 window(session, state, dialogs, environment.today);
    window.show();
    if (QApplication::arguments().contains(QStringLiteral("--smoke-test"))) {
        // Shows the window once, reports what it holds and ends: the CI's check that the program starts.
        QTimer::singleShot(0, &window, [&] {
            QTextStream(stdout) << window.windowTitle() << '\n' << session.DataFolder << '\n';
            QApplication::quit();
        });
    }
    return QApplication::exec();
}
