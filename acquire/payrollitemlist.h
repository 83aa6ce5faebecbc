#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;

namespace wagetrove {

class Dialogs;
struct Session;

/// "Payroll Item List": Form2 offers the state tax items to pick the unemployment item from, with the State
/// Account ID below; Form7 offers them to pick the withholding item.
class PayrollItemList : public QDialog
{
    Q_OBJECT

public:
    enum class Purpose
    {
        Unemployment, ///< Form2
        Withholding,  ///< Form7
    };

    PayrollItemList(Purpose purpose, const Session& session, Dialogs& dialogs, const QStringList& items,
                    const QString& stateAccountId, QWidget* parent = nullptr);

    QString chosenItem() const;
    QString stateAccountId() const;

    /// OK: accepts when the choice passes the window's checks, else says why and stays.
    void okClicked();

private:
    Purpose m_purpose;
    const Session& m_session;
    Dialogs& m_dialogs;
    QListWidget* m_list = nullptr;
    QLineEdit* m_text1 = nullptr;
};

} // namespace wagetrove
