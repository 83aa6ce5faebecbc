#pragma once

#include "acquire/payrolldatawindows.h"

#include <memory>

class QProgressDialog;
class QWidget;

namespace wagetrove {

class Dialogs;
class NormalPointer;
struct Session;

/// The windows of Get Payroll Data as the program shows them, modal over the main window.
class QtPayrollDataWindows : public PayrollDataWindows
{
public:
    QtPayrollDataWindows(const Session& session, Dialogs& dialogs, QWidget* mainWindow);
    ~QtPayrollDataWindows() override;

    AccessNoticeAnswer accessNotice() override;
    std::optional<SuiItemChoice> chooseSuiItem(const QStringList& items, const QString& stateAccountId) override;
    std::optional<QString> chooseSwhItem(const QStringList& items) override;
    void bringMainWindowToFront() override;
    /// A modal progress window with the text and a Cancel button, over the main window.
    void showWaiting(const QString& text) override;
    bool waitCancelled() override;
    void hideWaiting() override;

private:
    const Session& m_session;
    Dialogs& m_dialogs;
    QWidget* m_mainWindow;
    std::unique_ptr<QProgressDialog> m_waiting;
    std::unique_ptr<NormalPointer> m_waitingPointer;
};

} // namespace wagetrove
