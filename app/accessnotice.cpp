#include "app/accessnotice.h"

#include "app/windowfinish.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace wagetrove {

AccessNotice::AccessNotice(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAccessNotice"));
    setWindowTitle(QStringLiteral("Accessing company file"));
    auto* text = new QLabel(QStringLiteral("The Program is about to access your company file. A QuickBooks screen "
                                           "will appear asking you to grant access. Please grant the application "
                                           "access."),
                            this);
    text->setWordWrap(true);
    m_check1 = new QCheckBox(QStringLiteral("Don't show this screen again."), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Command2"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(new QLabel(QStringLiteral("Click OK to continue."), this));
    layout->addWidget(m_check1);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    finishWindow(this);
}

bool AccessNotice::dontShowAgain() const
{
    return m_check1->isChecked();
}

} // namespace wagetrove
