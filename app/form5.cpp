#include "app/form5.h"

#include "app/windowfinish.h"
#include "writers/transmitter.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace wagetrove {

Form5::Form5(Session& session, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_session(session), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("ICESA File Created"));
    auto* layout = new QVBoxLayout(this);
    for (const char* line : {"You have successfully created the ICESA file. Follow instructions below.",
                             "1. Start the TWC QuickFile Utility", "2. Choose the ICESA Format(Should be set already)",
                             "3. Click the Find and Select File button.", "4. Select the file you just created.",
                             "5. Click the Validate button", "6. View the summary report if needed.",
                             "7. Click the Test Send or Send button and follow the instructions."}) {
        layout->addWidget(new QLabel(QLatin1String(line), this));
    }
    m_check1 = new QCheckBox(QStringLiteral("Don't show this screen again"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    layout->addWidget(m_check1);
    auto* command1 = new QPushButton(QStringLiteral("OK"), this);
    command1->setObjectName(QStringLiteral("Command1"));
    layout->addWidget(command1);
    connect(command1, &QPushButton::clicked, this, [this] {
        closeTexasInstructions(m_session, m_dialogs, m_check1->isChecked());
        accept();
    });
    finishWindow(this);
}

} // namespace wagetrove
