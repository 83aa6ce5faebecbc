#include "acquire/payrollitemlist.h"

#include "acquire/payrollitems.h"
#include "app/windowfinish.h"
#include "common/dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace wagetrove {

PayrollItemList::PayrollItemList(Purpose purpose, const Session& session, Dialogs& dialogs, const QStringList& items,
                                 const QString& stateAccountId, QWidget* parent)
    : QDialog(parent), m_purpose(purpose), m_session(session), m_dialogs(dialogs)
{
    const bool unemployment = purpose == Purpose::Unemployment;
    setObjectName(unemployment ? QStringLiteral("Form2") : QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Payroll Item List"));

    auto* prompt = new QLabel(
        unemployment ? QStringLiteral("Select the QuickBooks Payroll Item that is used to track State Unemployment. "
                                      "Also enter your State Account ID.")
                     : QStringLiteral("Select the QuickBooks Payroll Item that is used to track State Withholding."),
        this);
    prompt->setWordWrap(true);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->addItems(items);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_list);
    if (unemployment) {
        m_text1 = new QLineEdit(stateAccountId, this);
        m_text1->setObjectName(QStringLiteral("Text1"));
        auto* account = new QHBoxLayout;
        account->addWidget(new QLabel(QStringLiteral("Account ID"), this));
        account->addWidget(m_text1);
        layout->addLayout(account);
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &PayrollItemList::okClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &PayrollItemList::okClicked);
    finishWindow(this);
}

QString PayrollItemList::chosenItem() const
{
    return m_list->currentItem() != nullptr && m_list->currentItem()->isSelected() ? m_list->currentItem()->text()
                                                                                   : QString();
}

QString PayrollItemList::stateAccountId() const
{
    return m_text1 != nullptr ? m_text1->text() : QString();
}

void PayrollItemList::okClicked()
{
    const bool selected = m_list->currentItem() != nullptr && m_list->currentItem()->isSelected();
    std::optional<QString> problem;
    if (m_purpose == Purpose::Unemployment) {
        m_text1->setText(m_text1->text().trimmed());
        problem = suiItemChoiceProblem(m_session, selected, m_text1->text());
    } else {
        problem = swhItemChoiceProblem(selected);
    }
    if (problem) {
        m_dialogs.message(*problem, kApplicationTitle);
        return;
    }
    accept();
}

} // namespace wagetrove
