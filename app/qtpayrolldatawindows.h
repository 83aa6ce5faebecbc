#pragma once

#include "acquire/payrolldatawindows.h"

class QWidget;

namespace wagetrove {

class Dialogs;
struct Session;

/// The windows of Get Payroll Data as the program shows them, modal over the main window.
class QtPayrollDataWindows : public PayrollDataWindows
{
public:
    QtPayrollDataWindows(const Session& session, Dialogs& dialogs, QWidget* mainWindow);

    AccessNoticeAnswer accessNotice() override;
    std::optional<SuiItemChoice> chooseSuiItem(const QStringList& items, const QString& stateAccountId) override;
    std::optional<QString> chooseSwhItem(const QStringList& items) override;
    void bringMainWindowToFront() override;

private:
    const Session& m_session;
    Dialogs& m_dialogs;
    QWidget* m_mainWindow;
};

} // namespace wagetrove
