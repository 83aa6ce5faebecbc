#include "app/qtpayrolldatawindows.h"

#include "acquire/payrollitemlist.h"
#include "app/accessnotice.h"

#include <QGuiApplication>
#include <QProgressDialog>
#include <QWidget>

namespace wagetrove {

/// A modal window shows the normal pointer while it waits, whatever the run around it shows.
class NormalPointer
{
public:
    NormalPointer() : m_overridden(QGuiApplication::overrideCursor() != nullptr)
    {
        if (m_overridden) {
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        }
    }
    ~NormalPointer()
    {
        if (m_overridden) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    NormalPointer(const NormalPointer&) = delete;
    NormalPointer& operator=(const NormalPointer&) = delete;

private:
    bool m_overridden;
};

QtPayrollDataWindows::QtPayrollDataWindows(const Session& session, Dialogs& dialogs, QWidget* mainWindow)
    : m_session(session), m_dialogs(dialogs), m_mainWindow(mainWindow)
{}

AccessNoticeAnswer QtPayrollDataWindows::accessNotice()
{
    const NormalPointer pointer;
    AccessNotice notice(m_mainWindow);
    const bool proceed = notice.exec() == QDialog::Accepted;
    return {proceed, notice.dontShowAgain()};
}

std::optional<SuiItemChoice> QtPayrollDataWindows::chooseSuiItem(const QStringList& items,
                                                                 const QString& stateAccountId)
{
    const NormalPointer pointer;
    PayrollItemList window(PayrollItemList::Purpose::Unemployment, m_session, m_dialogs, items, stateAccountId,
                           m_mainWindow);
    if (window.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return SuiItemChoice{window.chosenItem(), window.stateAccountId()};
}

std::optional<QString> QtPayrollDataWindows::chooseSwhItem(const QStringList& items)
{
    const NormalPointer pointer;
    PayrollItemList window(PayrollItemList::Purpose::Withholding, m_session, m_dialogs, items, QString(), m_mainWindow);
    if (window.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return window.chosenItem();
}

QtPayrollDataWindows::~QtPayrollDataWindows() = default;

void QtPayrollDataWindows::showWaiting(const QString& text)
{
    m_waiting = std::make_unique<QProgressDialog>(text, QStringLiteral("Cancel"), 0, 0, m_mainWindow);
    m_waiting->setObjectName(QStringLiteral("WebConnectorWait"));
    m_waiting->setWindowTitle(QStringLiteral("Wagetrove"));
    m_waiting->setWindowModality(Qt::WindowModal);
    m_waiting->setMinimumDuration(0);
    // The run's hourglass is not for this window: its Cancel button is to be clicked.
    m_waitingPointer = std::make_unique<NormalPointer>();
    m_waiting->show();
}

bool QtPayrollDataWindows::waitCancelled()
{
    return m_waiting != nullptr && m_waiting->wasCanceled();
}

void QtPayrollDataWindows::hideWaiting()
{
    m_waiting.reset();
    m_waitingPointer.reset();
}

void QtPayrollDataWindows::bringMainWindowToFront()
{
    if (m_mainWindow != nullptr) {
        m_mainWindow->raise();
        m_mainWindow->activateWindow();
    }
}

} // namespace wagetrove
